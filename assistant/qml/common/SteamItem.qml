import QtQuick 2.15
import NerevManager 1.0

// One step of the Steam card: number, name and an action button; highlighted
// while it is the step to take, dimmed otherwise.
Rectangle {
    id: item

    property string number
    property string name
    property string buttonText
    property bool launched: false   // the button only reports that the program runs
    property bool highlighted: false
    property bool dimmed: false

    signal clicked()

    width: 360
    height: Math.max(72, nameText.height + 24)
    radius: 8
    color: Theme.row
    border.width: highlighted ? 1 : 0
    border.color: Theme.accent

    Text {
        id: numberText
        x: 16
        anchors.verticalCenter: parent.verticalCenter
        text: item.number
        color: Theme.secondaryText
        font.pixelSize: 20
    }
    Text {
        id: nameText
        anchors.left: numberText.right
        anchors.leftMargin: 8
        anchors.right: button.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: item.name
        wrapMode: Text.Wrap
        color: Theme.text
        font.pixelSize: 20
    }
    Rectangle {
        id: button
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        width: Math.max(item.launched ? 92 : 72, buttonLabel.implicitWidth + 24)
        height: 36
        radius: 8
        color: item.launched ? Theme.none : Theme.accent

        Text {
            id: buttonLabel
            anchors.centerIn: parent
            text: item.buttonText
            color: item.launched ? Theme.secondaryText : Theme.text
            font.pixelSize: 18
        }
        MouseArea {
            objectName: "steamItemButton"
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: item.clicked()
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: 8
        color: Theme.rowMask
        visible: item.dimmed
    }
}
