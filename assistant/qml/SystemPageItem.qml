import QtQuick 2.15
import NerevManager 1.0
import "common"

// The PC card: checks once, when its indicator has turned, whether the PC can
// stream; the verdict stays as it was then. Its link opens "Check my PC", and
// says so in red while one of the checker's checks fails.
CardFrame {
    id: pcCard

    property bool checked: false
    property bool canRun: false
    // The checker of "Check my PC" (its anyFailed); the page opens with it.
    property var checker: null

    function showResult() {
        if (checked)
            return
        checked = true
        canRun = nerev.pcHardware !== NerevManagerCLS.NotCanRun
        if (canRun) {
            statusIcon = "qrc:/res/image/nerev_suc.png"
            statusText = qsTr("本机配置符合要求")
            maskOn = true
        } else {
            statusIcon = "qrc:/res/image/fail.png"
            statusText = qsTr("本机配置无法串流")
        }
    }

    iconSource: "qrc:/res/image/nerev_pc.png"
    title: qsTr("PC配置")
    titleColor: checked && !canRun ? Theme.error : Theme.text
    statusText: qsTr("检测中")
    detailsHeading: qsTr("PC说明")
    border.width: checked && !canRun ? 1 : 0
    border.color: Theme.error
    indicator.looptime: 1

    actions: Row {
        objectName: "pcCheckLink"
        visible: !!pcCard.checker
        spacing: 6

        Image {
            anchors.verticalCenter: parent.verticalCenter
            width: 20
            height: 20
            source: "qrc:/res/image/fail.png"
            visible: !!pcCard.checker && pcCard.checker.anyFailed
        }
        Text {
            objectName: "pcCheckLinkText"
            anchors.verticalCenter: parent.verticalCenter
            text: !!pcCard.checker && pcCard.checker.anyFailed ? qsTr("发现问题，去修复") : qsTr("检查我的电脑")
            color: !!pcCard.checker && pcCard.checker.anyFailed ? Theme.error : Theme.accent
            font.pixelSize: 18
            font.underline: true

            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: host.openSubWin("qrc:/qml/windows/PcCheckPage.qml", { checker: pcCard.checker })
            }
        }
    }

    Connections {
        target: pcCard.indicator
        function onAnimationEnd() {
            pcCard.showResult()
        }
    }

    Repeater {
        model: PageRules.parseList(nerev.simplySystemInfo)
        KeyValueItem {
            key: modelData[0]
            value: modelData[1]
        }
    }
    Text {
        objectName: "moreInfoLink"
        width: Math.min(implicitWidth, parent.width)
        text: qsTr("查看更多配置")
        color: Theme.accent
        wrapMode: Text.Wrap
        font.pixelSize: 18
        font.underline: true

        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: host.openSubWin("qrc:/qml/windows/SystemInfoPage.qml")
        }
    }
}
