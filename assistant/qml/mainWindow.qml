import QtQuick 2.15
import QtQuick.Window 2.15

// The program's main window. The streaming pages fill it once the controller
// ("nerev") is there; until then it shows the program's name.
Window {
    id: mainWindow
    width: 1200
    height: 760
    minimumWidth: 960
    minimumHeight: 600
    visible: true
    color: "#22242C"
    title: qsTr("串流助手")

    Column {
        anchors.centerIn: parent
        spacing: 16

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            source: "qrc:/res/image/nerev.ico"
            sourceSize.width: 128
            sourceSize.height: 128
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("串流助手")
            color: "#FFFFFF"
            font.pixelSize: 32
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "OSTREL Streaming Assistant"
            color: "#8A8D99"
            font.pixelSize: 18
        }
    }
}
