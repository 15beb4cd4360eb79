import QtQuick 2.15
import NerevManager 1.0

// One setting of a settings page: a box with the label at the left and the
// control (the row's children) at the right; the box grows with a longer
// translation of the label.
Rectangle {
    id: settingRow

    property string label
    property int controlMargin: 16
    default property alias control: controlSlot.data

    width: 744
    height: Math.max(74, labelText.height + 32)
    radius: Theme.radiusSection
    color: Theme.field

    Text {
        id: labelText
        x: 20
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - 40 - controlSlot.width - 20
        text: settingRow.label
        color: Theme.text
        wrapMode: Text.Wrap
        font.pixelSize: Theme.textLarge
    }
    Item {
        id: controlSlot
        anchors.right: parent.right
        anchors.rightMargin: settingRow.controlMargin
        anchors.verticalCenter: parent.verticalCenter
        width: childrenRect.width
        height: childrenRect.height
    }
}
