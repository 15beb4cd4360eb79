import QtQuick 2.15
import NerevManager 1.0

// Frame shared by the three set-up cards: icon, a strip with title, status
// and a busy indicator or status icon, optional actions, then the details
// (heading and rows) that a dimming mask covers once the step is done.
Rectangle {
    id: card

    // The main window: it shows toasts and opens the dialogs.
    property var host
    property url iconSource
    property string title
    property color titleColor: Theme.text
    property string statusText
    property string statusIcon: ""          // empty: the busy indicator shows
    property string detailsHeading
    property bool maskOn: false
    property alias indicator: status.indicator
    property alias actions: actionRow.data
    property alias footer: footerItem.data
    property alias detailsVisible: details.visible
    // Height down to the end of the status line: what a pulled-down card must show.
    readonly property real headerHeight: strip.y + status.textBottom + 8
    default property alias detailsContent: detailsColumn.data

    // The check begins when the card is first seen: on a first start the mode
    // page comes first, and the controller knows the PC only once a mode is chosen.
    property bool checkStarted: false
    function startCheck() {
        if (checkStarted)
            return
        checkStarted = true
        status.indicator.start()
    }

    width: 420
    radius: 16
    color: Theme.panel
    clip: true
    onVisibleChanged: if (visible) startCheck()
    Component.onCompleted: if (visible) startCheck()

    Image {
        id: icon
        x: 30
        y: 40
        width: 72
        height: 72
        source: card.iconSource
    }

    Image {
        id: strip
        anchors.top: icon.bottom
        anchors.topMargin: 12
        width: card.width
        height: Math.max(120, status.textHeight + 24)
        source: "qrc:/res/image/nerev_grident.png"

        StatusBlock {
            id: status
            anchors.fill: parent
            title: card.title
            titleColor: card.titleColor
            statusText: card.statusText
            statusIcon: card.statusIcon
        }
    }

    Item {
        id: details
        anchors.top: strip.bottom
        anchors.topMargin: 20
        x: 30
        width: 360
        height: detailsBlock.height

        Column {
            id: detailsBlock
            width: parent.width
            spacing: 16

            // The heading, with the card's actions at its right end.
            Item {
                width: parent.width
                height: Math.max(headingText.height, actionRow.height)

                Text {
                    id: headingText
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - (actionRow.width > 0 ? actionRow.width + 12 : 0)
                    text: card.detailsHeading
                    color: Theme.text
                    wrapMode: Text.Wrap
                    font.pixelSize: 20
                }
                Row {
                    id: actionRow
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 12
                }
            }
            Column {
                id: detailsColumn
                width: parent.width
                spacing: 24
            }
        }
        Rectangle {
            objectName: "detailsMask"
            x: -8
            y: detailsColumn.y - 8
            width: parent.width + 16
            height: detailsColumn.height + 16
            radius: 8
            color: Theme.cardMask
            visible: card.maskOn
        }
    }

    // Placed by its children against the card's bottom edge.
    Item {
        id: footerItem
        anchors.fill: parent
    }
}
