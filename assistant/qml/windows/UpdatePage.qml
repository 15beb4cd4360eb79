import QtQuick 2.15
import NerevManager 1.0
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
            host.close()
        } else {
            host.showToast(qsTr("安装失败请重试！"))
        }
    }

    function cancel() {
        updatePage.close()
        if (isForce)
            host.close()
    }

    designWidth: 420
    hasTitleBar: false
    bottomMargin: 30
    frameColor: Theme.pill
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
            color: Theme.noticeTitle
            wrapMode: Text.Wrap
            font.pixelSize: 36
        }
        Text {
            width: parent.width
            text: qsTr("您的串流工具需安装如下更新才能使用")
            color: Theme.noticeHint
            wrapMode: Text.Wrap
            font.pixelSize: 16
        }
        Text {
            objectName: "noteText"
            width: 340
            text: updatePage.note
            color: Theme.noticeText
            wrapMode: Text.WrapAnywhere
            font.pixelSize: 18
        }
        Text {
            objectName: "forceText"
            width: parent.width
            text: qsTr("此版本为强更，取消后将关闭程序")
            color: Theme.error
            wrapMode: Text.Wrap
            font.pixelSize: 16
            visible: updatePage.isForce
        }
        DialogButtons {
            spacing: 16
            buttonWidth: 162
            buttonHeight: 40
            first.objectName: "installButton"
            first.color: Theme.dialogButton
            first.text: qsTr("立即安装")
            second.objectName: "cancelButton"
            second.color: Theme.field
            second.text: qsTr("取消")
            onFirstClicked: updatePage.install()
            onSecondClicked: updatePage.cancel()
        }
    }
}
