import QtQuick 2.15
import QtQuick.Window 2.15

// Shown by a second start while the program already runs; closing it ends
// that second process.
Window {
    id: tip
    width: 400
    height: 300
    visible: true
    modality: Qt.NonModal
    color: "#22242C"
    title: qsTr("提示")

    Timer {
        interval: 4000
        running: true
        onTriggered: tip.close()
    }

    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 90
        text: qsTr("应用程序已打开")
        color: "#FFFFFF"
        font.pixelSize: 20
    }

    Rectangle {
        id: okButton
        width: 180
        height: 54
        radius: 8
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 48
        color: okArea.pressed ? "#1262B8" : "#177BE6"

        Text {
            anchors.centerIn: parent
            text: qsTr("确定")
            color: "#FFFFFF"
            font.pixelSize: 20
        }
        MouseArea {
            id: okArea
            anchors.fill: parent
            onClicked: tip.close()
        }
    }
}
