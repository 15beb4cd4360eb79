import QtQuick 2.15
import NerevManager 1.0

// The head of a check: a bold title over a status line, and at the right a
// busy indicator until a status icon replaces it. It fills the strip it sits
// in; `textBottom` is where the status line ends.
Item {
    id: block

    property string title
    property color titleColor: Theme.text
    property string statusText
    property string statusIcon: ""          // empty: the busy indicator shows
    property alias indicator: busy
    readonly property real textHeight: titleBlock.height
    readonly property real textBottom: titleBlock.y + titleBlock.height

    Column {
        id: titleBlock
        x: 30
        anchors.verticalCenter: parent.verticalCenter
        width: slot.x - x - 12
        spacing: 4

        Text {
            objectName: "cardTitle"
            width: parent.width
            text: block.title
            color: block.titleColor
            wrapMode: Text.Wrap
            font.pixelSize: Theme.textTitle
            font.bold: true
        }
        Text {
            objectName: "cardStatus"
            width: parent.width
            text: block.statusText
            color: Theme.text
            wrapMode: Text.Wrap
            font.pixelSize: Theme.textBody
        }
    }
    Item {
        id: slot
        x: block.width - 30 - width
        anchors.verticalCenter: parent.verticalCenter
        width: 40
        height: 40

        QmlBusyIndicator {
            id: busy
            anchors.fill: parent
            running: false
            visible: block.statusIcon === ""
        }
        Image {
            objectName: "cardStatusIcon"
            anchors.fill: parent
            source: block.statusIcon
            visible: block.statusIcon !== ""
        }
    }
}
