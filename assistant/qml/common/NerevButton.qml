import QtQuick 2.15
import NerevManager 1.0

// A rounded button with a centred label. The width and height given by the
// page are the least size: a longer translation makes the button grow.
Rectangle {
    id: button

    property string text
    property color textColor: Theme.text
    property int pixelSize: 20
    property bool bold: false
    property int minimumWidth: 120
    property int minimumHeight: 54
    property bool hovered: area.containsMouse

    signal clicked()

    width: Math.max(minimumWidth, label.implicitWidth + 32)
    height: Math.max(minimumHeight, label.height + 12)
    radius: 8
    color: Theme.dialogButton

    Text {
        id: label
        anchors.centerIn: parent
        width: Math.min(implicitWidth, button.width - 16)
        text: button.text
        color: button.textColor
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        font.pixelSize: button.pixelSize
        font.bold: button.bold
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
