import QtQuick 2.15
import NerevManager 1.0
import "../common"

// Confirms a switch between wired and wireless streaming.
DialogWindow {
    id: confirmPage

    property string showText

    function confirm() {
        nerev.reportstreamMode(nerev.wired, true)
        nerev.wired = !nerev.wired
        confirmPage.close()
    }

    title: qsTr("选择串流模式")
    designWidth: 380
    designHeight: 240
    titleBarHeight: 60
    titlePixelSize: 24
    titleLeftMargin: 10
    frameColor: Theme.pill
    contentHeight: column.y + column.height

    Column {
        id: column
        y: 30
        width: parent.width
        spacing: 40

        Text {
            objectName: "confirmText"
            x: 10
            width: parent.width - 20
            text: confirmPage.showText
            color: Theme.text
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 20
        }
        DialogButtons {
            spacing: 30
            first.objectName: "cancelButton"
            first.color: Theme.none
            first.border.width: 1
            first.border.color: Theme.white
            first.text: qsTr("取消")
            second.objectName: "okButton"
            second.color: Theme.accent
            second.text: qsTr("确定")
            onFirstClicked: confirmPage.close()
            onSecondClicked: confirmPage.confirm()
        }
    }
}
