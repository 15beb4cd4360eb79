import QtQuick 2.15

// Frame shared by the three set-up cards: icon, a strip with title, status
// and a busy indicator or status icon, optional actions, then the details
// (heading and rows) that a dimming mask covers once the step is done.
Rectangle {
    id: card

    property url iconSource
    property string title
    property color titleColor: "#FFFFFF"
    property string statusText
    property string statusIcon: ""          // empty: the busy indicator shows
    property string detailsHeading
    property bool maskOn: false
    property alias indicator: busy
    property alias actions: actionRow.data
    property alias footer: footerItem.data
    property alias detailsVisible: details.visible
    // Height down to the end of the status line: what a pulled-down card must show.
    readonly property real headerHeight: strip.y + titleBlock.y + titleBlock.height + 8
    default property alias detailsContent: detailsColumn.data

    // The check begins when the card is first seen: on a first start the mode
    // page comes first, and the controller knows the PC only once a mode is chosen.
    property bool checkStarted: false
    function startCheck() {
        if (checkStarted)
            return
        checkStarted = true
        busy.start()
    }

    width: 420
    radius: 16
    color: utils.nerev_itemdowncolor
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
        height: Math.max(120, titleBlock.height + 24)
        source: "qrc:/res/image/nerev_grident.png"

        Column {
            id: titleBlock
            x: 30
            anchors.verticalCenter: parent.verticalCenter
            width: slot.x - x - 12
            spacing: 4

            Text {
                objectName: "cardTitle"
                width: parent.width
                text: card.title
                color: card.titleColor
                wrapMode: Text.Wrap
                font.pixelSize: 36
                font.bold: true
            }
            Text {
                objectName: "cardStatus"
                width: parent.width
                text: card.statusText
                color: "#FFFFFF"
                wrapMode: Text.Wrap
                font.pixelSize: 18
            }
        }
        Item {
            id: slot
            x: strip.width - 30 - width
            anchors.verticalCenter: parent.verticalCenter
            width: 40
            height: 40

            QmlBusyIndicator {
                id: busy
                anchors.fill: parent
                running: false
                visible: card.statusIcon === ""
            }
            Image {
                objectName: "cardStatusIcon"
                anchors.fill: parent
                source: card.statusIcon
                visible: card.statusIcon !== ""
            }
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
                    color: "#FFFFFF"
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
            color: utils.cardMaskColor
            visible: card.maskOn
        }
    }

    // Placed by its children against the card's bottom edge.
    Item {
        id: footerItem
        anchors.fill: parent
    }
}
