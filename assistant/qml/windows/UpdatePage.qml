import QtQuick 2.15
import "../common"

// A newer installer is ready: install it now, or cancel (which ends the
// program when the update is mandatory).
DialogWindow {
    id: updatePage

    property string note
    property bool isForce: false

    function install() {
        if (nerevupdate.setup()) {
            nerev.shutdownADB()
            updatePage.close()
            mainWin.close()
        } else {
            mainWin.showToast(qsTr("安装失败请重试！"))
        }
    }

    function cancel() {
        updatePage.close()
        if (isForce)
            mainWin.close()
    }

    designWidth: 420
    hasTitleBar: false
    bottomMargin: 30
    frameColor: utils.nerev_btnbackgroundcolor
    contentHeight: column.y + column.height

    Column {
        id: column
        x: 40
        y: 32
        width: 340
        spacing: 16

        Text {
            width: parent.width
            text: qsTr("自动更新")
            color: "#CCCCCD"
            wrapMode: Text.Wrap
            font.pixelSize: 36
        }
        Text {
            width: parent.width
            text: qsTr("您的串流工具需安装如下更新才能使用")
            color: "#FF909092"
            wrapMode: Text.Wrap
            font.pixelSize: 16
        }
        Text {
            objectName: "noteText"
            width: 340
            text: updatePage.note
            color: "#F3F3F3"
            wrapMode: Text.WrapAnywhere
            font.pixelSize: 18
        }
        Text {
            objectName: "forceText"
            width: parent.width
            text: qsTr("此版本为强更，取消后将关闭程序")
            color: "#FB625C"
            wrapMode: Text.Wrap
            font.pixelSize: 16
            visible: updatePage.isForce
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 16

            NerevButton {
                objectName: "installButton"
                minimumWidth: 162
                minimumHeight: 40
                color: "#FF177BE6"
                pixelSize: 18
                text: qsTr("立即安装")
                onClicked: updatePage.install()
            }
            NerevButton {
                objectName: "cancelButton"
                minimumWidth: 162
                minimumHeight: 40
                color: "#FF292A33"
                pixelSize: 18
                text: qsTr("取消")
                onClicked: updatePage.cancel()
            }
        }
    }
}
