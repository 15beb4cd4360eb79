import QtQuick 2.15
import "../common"

// First start: wireless or wired streaming. The choice is reported, written
// to the controller and the page goes away.
Item {
    id: modePage

    function choose(wired) {
        nerev.reportstreamMode(wired, false)
        nerev.wired = wired
        modePage.visible = false
    }

    width: 1300
    height: 755

    Row {
        spacing: 20

        ModeCard {
            id: wirelessCard
            objectName: "wirelessCard"
            pictureY: Math.min(naturalPictureY, wiredCard.naturalPictureY)
            imageSource: "qrc:/res/image/nerev_wireless.png"
            title: qsTr("无线串流·自由无拘束")
            lines: [
                qsTr("·<font color=\"#FFFFFF\">5GHz频段</font>无线路由器"),
                qsTr("·电脑需要使用<font color=\"#FFFFFF\">6类</font>以上网线，连接<font color=\"#FFFFFF\">千兆以上</font>网口路由器"),
                qsTr("·使用时，设备尽量靠近路由器，不要隔墙使用")
            ]
            onStart: modePage.choose(false)
        }
        ModeCard {
            id: wiredCard
            objectName: "wiredCard"
            pictureY: Math.min(naturalPictureY, wirelessCard.naturalPictureY)
            imageSource: "qrc:/res/image/nerev_wired.png"
            title: qsTr("有线串流·更快更清晰")
            lines: [
                qsTr("·符合<font color=\"#FFFFFF\">3.0</font>标准的 <font color=\"#FFFFFF\">Type-C to C</font> 数据线或 <font color=\"#FFFFFF\">USB to Type-C</font> 数据线"),
                qsTr("·电脑接口符合<font color=\"#FFFFFF\">3.0</font>标准")
            ]
            onStart: modePage.choose(true)
        }
    }
}
