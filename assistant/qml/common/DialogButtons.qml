import QtQuick 2.15
import NerevManager 1.0

// The two buttons at the foot of a dialog, centred side by side. Each is a
// NerevButton the dialog names and colours through `first` and `second`.
Row {
    id: buttons

    property alias first: firstButton
    property alias second: secondButton
    property int buttonWidth: 120
    property int buttonHeight: 36

    signal firstClicked()
    signal secondClicked()

    anchors.horizontalCenter: parent.horizontalCenter

    NerevButton {
        id: firstButton
        minimumWidth: buttons.buttonWidth
        minimumHeight: buttons.buttonHeight
        pixelSize: Theme.textBody
        onClicked: buttons.firstClicked()
    }
    NerevButton {
        id: secondButton
        minimumWidth: buttons.buttonWidth
        minimumHeight: buttons.buttonHeight
        pixelSize: Theme.textBody
        onClicked: buttons.secondClicked()
    }
}
