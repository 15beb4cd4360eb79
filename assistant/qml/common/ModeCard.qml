import QtQuick 2.15
import NerevManager 1.0

// One choice of the mode page: picture over its glow, title, notes and the
// start button; a blue border while the pointer is over it.
Rectangle {
    id: card

    property url imageSource
    property string title
    property var lines: []

    // Longer translations slide the picture up so the notes stay clear of the
    // button; the mode page gives both cards the same position.
    readonly property real naturalPictureY: Math.max(12, 56 - Math.max(0, 56 + picture.height + notes.anchors.topMargin
                                                                          + notes.height + 24 - startButton.y))
    property real pictureY: naturalPictureY

    signal start()

    width: 640
    height: 755
    radius: 16
    color: Theme.panel
    border.width: hover.containsMouse || startButton.hovered ? 4 : 0
    border.color: Theme.accent

    MouseArea {
        id: hover
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.NoButton
    }

    Image {
        id: effect
        anchors.horizontalCenter: parent.horizontalCenter
        y: picture.y + picture.height - height
        width: 560
        height: 120
        source: "qrc:/res/image/nerev_effect.png"
    }
    Image {
        id: picture
        anchors.horizontalCenter: parent.horizontalCenter
        y: card.pictureY
        width: 440
        height: 319
        source: card.imageSource
    }

    Column {
        id: notes
        anchors.top: picture.bottom
        anchors.topMargin: 36
        x: 40
        width: 560
        spacing: 14

        Text {
            width: parent.width
            text: card.title
            color: Theme.text
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 36
            font.bold: true
        }
        Item {
            width: 1
            height: 6
        }
        Repeater {
            model: card.lines
            Text {
                width: 560
                text: modelData
                color: Theme.secondaryText
                wrapMode: Text.Wrap
                font.pixelSize: 20
            }
        }
    }

    NerevButton {
        id: startButton
        objectName: "startButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        minimumWidth: 560
        color: Theme.accent
        text: qsTr("开始体验")
        onClicked: card.start()
    }
}
