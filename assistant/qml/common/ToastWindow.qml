import QtQuick 2.15
import NerevManager 1.0
import QtShark.Window 1.0

// The transient message above the main window: black box, white text, hidden
// again after `duration` ms.
FramelessWindow {
    id: toast

    property alias text: label.text
    property int duration: 2000

    // Shows `message` for `ms` milliseconds (2000 when not given), placed by the caller.
    function present(message, ms) {
        text = message
        duration = ms > 0 ? ms : 2000
        if (visible)
            hideTimer.restart()     // a new message gets its full time
        else
            show()
    }

    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | Qt.WindowDoesNotAcceptFocus
    needShadow: false
    color: Theme.none
    width: Math.ceil(box.width * Theme.contentScale)
    height: Math.ceil(box.height * Theme.contentScale)
    onVisibleChanged: if (visible) hideTimer.restart()

    Rectangle {
        id: box
        width: label.width + 24
        height: label.height + 16
        radius: 8
        color: Theme.toast
        scale: Theme.contentScale
        transformOrigin: Item.TopLeft

        Text {
            id: label
            objectName: "toastText"
            x: 12
            y: 8
            width: Math.min(implicitWidth, 720)
            wrapMode: Text.Wrap
            color: Theme.text
            font.pixelSize: 20
        }
    }

    Timer {
        id: hideTimer
        interval: toast.duration
        onTriggered: toast.hide()
    }
}
