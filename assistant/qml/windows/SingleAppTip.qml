import QtQuick 2.15
import NerevManager 1.0
import ".."
import "../common"

// Shown by a second start while the program already runs; closing it (the
// button, or by itself after 4 s) ends that second process.
DialogWindow {
    id: tip

    title: qsTr("提示")
    designWidth: 400
    designHeight: 300
    frameColor: Theme.panel
    modality: Qt.NonModal
    visible: true
    contentHeight: message.y + message.height + 40 + okButton.height + 48 - bottomMargin


    Timer {
        interval: 4000
        running: true
        onTriggered: tip.close()
    }

    Text {
        id: message
        x: 30
        y: 20
        width: parent.width - 60
        text: qsTr("应用程序已打开")
        color: Theme.text
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        font.pixelSize: 20
    }
    NerevButton {
        id: okButton
        objectName: "okButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 48
        minimumWidth: 180
        text: qsTr("确定")
        onClicked: tip.close()
    }
}
