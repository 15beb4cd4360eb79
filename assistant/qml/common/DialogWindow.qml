import QtQuick 2.15
import NerevManager 1.0
import QtShark.Window 1.0

// Frame of every dialog: a window-modal frameless window without shadow
// holding one rounded rectangle, with a title bar (the drag area) and a close
// button unless the dialog has none. Everything inside is laid out at the
// design size and scaled with the main window's content.
FramelessWindow {
    id: dialog

    // The main window: it shows toasts and can close the program.
    property var host
    property int designWidth: 620
    property int designHeight: 0            // 0: as high as the content
    property int bottomMargin: 24
    property real contentHeight: 0          // height the dialog's content needs
    property bool hasTitleBar: true
    property bool hasCloseButton: hasTitleBar
    property int titleBarHeight: 82
    property int titlePixelSize: 36
    property int titleLeftMargin: 30
    property string titleFontFamily: ""
    property alias frameColor: frame.color
    readonly property real contentScale: Theme.contentScale
    default property alias content: body.data

    needShadow: false
    color: Theme.none
    modality: Qt.WindowModal
    width: Math.ceil(frame.width * contentScale)
    height: Math.ceil(frame.height * contentScale)
    titleBar: hasTitleBar ? titleRow : null

    Rectangle {
        id: frame
        width: dialog.designWidth
        height: Math.max(dialog.designHeight, titleRow.height + dialog.contentHeight + dialog.bottomMargin)
        radius: 12
        color: Theme.panel
        scale: dialog.contentScale
        transformOrigin: Item.TopLeft

        Item {
            id: titleRow
            width: frame.width
            height: dialog.hasTitleBar ? Math.max(dialog.titleBarHeight, titleText.height + 24) : 0
            visible: dialog.hasTitleBar

            Text {
                id: titleText
                objectName: "dialogTitle"
                x: dialog.titleLeftMargin
                anchors.verticalCenter: parent.verticalCenter
                width: closeButton.x - x - 16
                text: dialog.title
                color: Theme.text
                wrapMode: Text.Wrap
                font.pixelSize: dialog.titlePixelSize
                font.bold: true
                // The family the page names, where it is installed; the application font otherwise.
                font.family: dialog.titleFontFamily !== "" && Qt.fontFamilies().indexOf(dialog.titleFontFamily) >= 0
                             ? dialog.titleFontFamily : Qt.application.font.family
            }
            Image {
                id: closeButton
                objectName: "dialogClose"
                x: frame.width - 30 - width
                anchors.verticalCenter: parent.verticalCenter
                width: 24
                height: 24
                source: "qrc:/res/image/nerev_close.png"
                visible: dialog.hasCloseButton

                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -8
                    cursorShape: Qt.PointingHandCursor
                    onClicked: dialog.close()
                }
            }
        }
        Item {
            id: body
            anchors.top: titleRow.bottom
            width: frame.width
            height: frame.height - titleRow.height
        }
    }
}
