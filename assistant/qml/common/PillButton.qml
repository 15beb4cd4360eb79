import QtQuick 2.15
import NerevManager 1.0

// A fully rounded button with an icon and a label, as in the title bar; the
// label is bold unless hovered. It grows with a longer translation.
Rectangle {
    id: pill

    property url iconSource
    property string text
    property int minimumWidth: 140

    signal clicked()

    width: Math.max(minimumWidth, content.width + 40)
    height: 40
    radius: height / 2
    color: Theme.pill

    Row {
        id: content
        anchors.centerIn: parent
        spacing: 8
        Image {
            anchors.verticalCenter: parent.verticalCenter
            width: 20
            height: 20
            source: pill.iconSource
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: pill.text
            color: Theme.text
            font.pixelSize: Theme.textNote
            font.bold: !area.containsMouse
        }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: pill.clicked()
    }
}
