import QtQuick 2.15
import NerevManager 1.0
import "common"

// The Steam card: two steps (Steam, then SteamVR) whose texts, highlight and
// action follow what runs; ready once both run.
CardFrame {
    id: steamCard

    readonly property bool noneSteam: nerev.steamState === NerevManagerCLS.NoneSteam
    readonly property bool steamRunning: nerev.haslaunchSteam
    readonly property bool vrRunning: nerev.haslaunchSteamVR
    readonly property bool steamHighlighted: noneSteam || !steamRunning
    readonly property bool vrHighlighted: !vrRunning && steamRunning && !noneSteam
    readonly property bool steamDimmed: !steamHighlighted
    readonly property bool vrDimmed: vrRunning || !steamRunning || noneSteam
    property bool checked: false

    function updateStatus() {
        if (!checked)
            return
        if (steamRunning && vrRunning) {
            statusIcon = "qrc:/res/image/nerev_suc.png"
            statusText = qsTr("已就绪")
            maskOn = true
        } else {
            statusIcon = "qrc:/res/image/nerev_warning_big.png"
            statusText = qsTr("请按以下步骤操作")
            maskOn = false
        }
    }

    function clickSteam() {
        if (noneSteam)
            nerev.gotoWeb(NerevManagerCLS.SteamUrl)
        else if (!steamRunning)
            nerev.launchSteam()
    }

    function clickSteamVr() {
        if (!vrRunning && steamRunning)
            nerev.launchSteam(true)
    }

    iconSource: "qrc:/res/image/nerev_steam.png"
    title: qsTr("Steam软件")
    statusText: qsTr("检测中")
    detailsHeading: qsTr("软件下载")
    indicator.looptime: 1
    onSteamDimmedChanged: updateStatus()
    onVrDimmedChanged: updateStatus()

    Connections {
        target: steamCard.indicator
        function onAnimationEnd() {
            steamCard.checked = true
            steamCard.updateStatus()
        }
    }

    SteamItem {
        objectName: "steamRow"
        number: "1."
        name: steamCard.noneSteam || steamCard.steamRunning ? qsTr("安装Steam软件") : qsTr("Steam软件")
        buttonText: steamCard.noneSteam ? qsTr("安装") : steamCard.steamRunning ? qsTr("已启动") : qsTr("启动")
        launched: !steamCard.noneSteam && steamCard.steamRunning
        highlighted: steamCard.steamHighlighted
        dimmed: steamCard.steamDimmed
        onClicked: steamCard.clickSteam()
    }
    SteamItem {
        objectName: "steamVrRow"
        number: "2."
        name: steamCard.noneSteam || steamCard.vrRunning ? qsTr("安装Steam VR软件") : qsTr("Steam VR软件")
        buttonText: steamCard.noneSteam ? qsTr("安装") : steamCard.vrRunning ? qsTr("已启动") : qsTr("启动")
        launched: !steamCard.noneSteam && steamCard.vrRunning
        highlighted: steamCard.vrHighlighted
        dimmed: steamCard.vrDimmed
        onClicked: steamCard.clickSteamVr()
    }
    Rectangle {
        objectName: "noSteamNote"
        width: 360
        height: Math.max(52, noteText.height + 16)
        radius: 8
        color: Theme.field
        visible: steamCard.noneSteam

        Text {
            id: noteText
            x: 16
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 32
            text: qsTr("<font color=\"#FFFFFF\">未检测</font>到已安装的Steam时，请<font color=\"#FFFFFF\">手动启动</font>")
            color: Theme.secondaryText
            wrapMode: Text.Wrap
            font.pixelSize: 18
        }
    }
    Text {
        objectName: "steamHelpLink"
        width: Math.min(implicitWidth, parent.width)
        text: qsTr("Steam VR检测不到设备？")
        color: Theme.accent
        wrapMode: Text.Wrap
        font.pixelSize: 18
        font.underline: true

        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: nerev.gotoWeb(NerevManagerCLS.SteamHelperUrl)
        }
    }
}
