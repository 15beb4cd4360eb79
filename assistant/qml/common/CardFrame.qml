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
    property alias actions: actionColumn.data
    property alias footer: footerItem.data
    property alias detailsVisible: details.visible
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

    Column {
        id: actionColumn
        anchors.top: strip.bottom
        anchors.topMargin: visibleChildren.length > 0 ? 16 : 0
        x: 30
        width: 360
        spacing: 12
    }

    Item {
        id: details
        anchors.top: actionColumn.bottom
        anchors.topMargin: 20
        x: 30
        width: 360
        height: detailsBlock.height

        Column {
            id: detailsBlock
            width: parent.width
            spacing: 16

            Text {
                width: parent.width
                text: card.detailsHeading
                color: "#FFFFFF"
                wrapMode: Text.Wrap
                font.pixelSize: 20
            }
            Column {
                id: detailsColumn
                width: parent.width
                spacing: 24
            }
        }
        Rectangle {
            objectName: "detailsMask"
            anchors.fill: parent
            anchors.margins: -8
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
