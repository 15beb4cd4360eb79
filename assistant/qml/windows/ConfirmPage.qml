import QtQuick 2.15
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
    frameColor: utils.nerev_btnbackgroundcolor
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
            color: "#FFFFFF"
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 20
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 30

            NerevButton {
                objectName: "cancelButton"
                minimumWidth: 120
                minimumHeight: 36
                color: "transparent"
                border.width: 1
                border.color: "#FFFFFF"
                pixelSize: 18
                text: qsTr("取消")
                onClicked: confirmPage.close()
            }
            NerevButton {
                objectName: "okButton"
                minimumWidth: 120
                minimumHeight: 36
                color: "#1E68FF"
                pixelSize: 18
                text: qsTr("确定")
                onClicked: confirmPage.confirm()
            }
        }
    }
}
