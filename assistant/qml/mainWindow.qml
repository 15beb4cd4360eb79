import QtQuick 2.15
import QtShark.Window 1.0
import NerevManager 1.0
import "common"
import "windows"

// The main window: title bar, the mode page on first start, then the three
// set-up cards; one dialog at a time in the sub-window loader and a toast.
// Laid out at 1360 x 875 and scaled down as a whole (contentScale, set at
// start-up) on screens smaller than that.
FramelessWindow {
    id: mainWin

    readonly property int designWidth: 1360
    readonly property int designHeight: 875
    property real contentScale: 1
    readonly property int scaledWidth: Math.round(designWidth * contentScale)
    readonly property int scaledHeight: Math.round(designHeight * contentScale)
    property bool ispullDown: false
    property string currentLanguage: Qt.locale().name.split("_")[0]

    function showToast(str, duration) {
        toast.text = str
        toast.x = mainWin.x + 680 * contentScale - toast.width / 2
        toast.y = mainWin.y + 400 * contentScale
        toast.present(str, duration)
    }

    // Centred at (680, 440) of the design, but kept inside the main window
    // (which fits the screen) when it is not larger than that.
    function showSubWin() {
        var win = subLoader.item
        if (!win)
            return
        win.x = clampInto(mainWin.x + 680 * contentScale - win.width / 2, mainWin.x, mainWin.width, win.width)
        win.y = clampInto(mainWin.y + 440 * contentScale - win.height / 2, mainWin.y, mainWin.height, win.height)
        win.show()
    }

    function clampInto(position, start, length, size) {
        if (size > length)
            return position
        return Math.max(start, Math.min(position, start + length - size))
    }

    // Loads `url` into the sub-window loader (replacing the dialog there) and shows it.
    function openSubWin(url, properties) {
        subLoader.setSource(url, properties || {})
        showSubWin()
    }

    // Whether the dialog `url` may open over the one showing now.
    function mayOpen(url) {
        var win = subLoader.item
        return PageRules.dialogMayOpen(url, subLoader.source.toString(), !!win && win.visible)
    }

    // Opens `url` unless it must give way to the notice showing now.
    function openIfAllowed(url, properties) {
        if (!mayOpen(url))
            return false
        openSubWin(url, properties)
        return true
    }

    function closeSubWin() {
        if (subLoader.item && subLoader.item.visible)
            subLoader.item.close()
    }

    // Width changes other than to the (scaled) design width are undone.
    function snapSize() {
        if (width !== scaledWidth) {
            width = scaledWidth
            height = scaledHeight
        }
    }

    visible: true
    title: qsTr("串流助手")
    width: scaledWidth
    height: scaledHeight
    color: Theme.none
    titleBar: titleBarItem
    onWidthChanged: snapSize()
    onCloseAll: {
        closeSubWin()
        nerev.closeApp()
        mainWin.close()
    }

    Component.onCompleted: {
        modePage.visible = !nerev.isHideSelectPage()
        nerev.checkPortUsage()
        mainWin.addIgnore(logo)
        mainWin.addIgnore(versionText)
    }

    // Dialogs and the toast follow the main window's scale.
    Binding {
        target: Theme
        property: "contentScale"
        value: mainWin.contentScale
    }

    Rectangle {
        id: page
        width: mainWin.designWidth
        height: mainWin.designHeight
        color: Theme.background
        scale: mainWin.contentScale
        transformOrigin: Item.TopLeft

        Item {
            id: titleBarItem
            objectName: "titleBar"
            width: parent.width
            height: 90

            Image {
                id: logo
                x: 30
                anchors.verticalCenter: parent.verticalCenter
                height: 40
                width: mainWin.currentLanguage === "zh" ? 153 : 249
                source: mainWin.currentLanguage === "zh" ? "qrc:/res/image/nerev_icon.png"
                                                         : "qrc:/res/image/nerev_icon_en.png"
            }
            Text {
                id: versionText
                anchors.left: logo.right
                anchors.leftMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                text: nerevupdate.version()
                color: Theme.text
                font.pixelSize: 16
                font.bold: true
            }

            Row {
                anchors.right: parent.right
                anchors.rightMargin: 30
                anchors.verticalCenter: parent.verticalCenter
                spacing: 32

                PillButton {
                    objectName: "helpButton"
                    iconSource: "qrc:/res/image/nerev_help.png"
                    text: qsTr("使用帮助")
                    onClicked: nerev.gotoWeb(NerevManagerCLS.UserHelperUrl)
                }
                PillButton {
                    objectName: "feedbackButton"
                    iconSource: "qrc:/res/image/nerev_feedback.png"
                    text: qsTr("用户反馈")
                    onClicked: mainWin.openSubWin("qrc:/qml/windows/FeedbackPage.qml")
                }
                Rectangle {
                    objectName: "settingButton"
                    width: 40
                    height: 40
                    radius: 20
                    color: Theme.pill
                    visible: !modePage.visible

                    Image {
                        anchors.centerIn: parent
                        width: 24
                        height: 24
                        source: "qrc:/res/image/nerev_setting.png"
                    }
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: mainWin.openSubWin("qrc:/qml/windows/SettingPage.qml")
                    }
                }
                Rectangle {
                    width: 100
                    height: 40
                    radius: 20
                    color: Theme.pill

                    Image {
                        x: 14
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 24
                        source: "qrc:/res/image/nerev_min.png"
                        MouseArea {
                            objectName: "minimiseButton"
                            anchors.fill: parent
                            anchors.margins: -6
                            onClicked: mainWin.showMinimized()
                        }
                    }
                    Image {
                        x: 100 - 14 - width
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 24
                        source: "qrc:/res/image/nerev_close.png"
                        MouseArea {
                            objectName: "closeButton"
                            anchors.fill: parent
                            anchors.margins: -6
                            onClicked: {
                                nerev.closeApp()
                                mainWin.close()
                            }
                        }
                    }
                }
            }
        }

        SelectModePage {
            id: modePage
            objectName: "modePage"
            x: 30
            y: titleBarItem.height
            visible: false
        }

        Item {
            id: setupPage
            objectName: "setupPage"
            anchors.top: titleBarItem.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            visible: !modePage.visible

            Rectangle {
                id: tipsBar
                objectName: "tipsBar"
                x: 30
                width: parent.width - 60
                height: Math.max(56, tipsText.height + 16)
                radius: 8
                color: Theme.panel

                Image {
                    id: tipsIcon
                    x: 20
                    anchors.verticalCenter: parent.verticalCenter
                    width: 24
                    height: 24
                    source: "qrc:/res/image/nerev_tips.png"
                }
                Text {
                    id: tipsText
                    anchors.left: tipsIcon.right
                    anchors.leftMargin: 12
                    anchors.right: dismissText.left
                    anchors.rightMargin: 20
                    anchors.verticalCenter: parent.verticalCenter
                    text: nerev.vrIsConnect ? qsTr("恭喜您完成所有步骤，戴上VR设备开始畅玩游戏吧！～")
                                            : qsTr("完成下列步骤，即可畅玩Steam游戏大作")
                    color: Theme.text
                    wrapMode: Text.Wrap
                    font.pixelSize: 18
                }
                Text {
                    id: dismissText
                    objectName: "dismissTips"
                    anchors.right: parent.right
                    anchors.rightMargin: 20
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("不再提示")
                    color: Theme.accent
                    font.pixelSize: 18
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: tipsBar.visible = false
                    }
                }
            }

            Rectangle {
                id: pullHandle
                objectName: "pullHandle"
                anchors.horizontalCenter: parent.horizontalCenter
                y: cardRow.y - 19
                width: 60
                height: 16
                radius: 6
                color: Theme.pill
                visible: nerev.vrIsConnect
                onVisibleChanged: if (!visible) mainWin.ispullDown = false

                Image {
                    anchors.centerIn: parent
                    width: 14
                    height: 8
                    source: mainWin.ispullDown ? "qrc:/res/image/nerev_arrow_up.png" : "qrc:/res/image/nerev_arrow_down.png"
                }
                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -4
                    cursorShape: Qt.PointingHandCursor
                    onClicked: mainWin.ispullDown = !mainWin.ispullDown
                }
            }

            Row {
                id: cardRow
                objectName: "cardRow"
                x: 30
                // Pulled down, the cards show only their heads; a head made taller
                // by a longer translation pulls the row up so its text stays whole.
                readonly property real headHeight: Math.max(pcCard.headerHeight, steamCard.headerHeight,
                                                            vrCard.headerHeight)
                y: mainWin.ispullDown ? Math.min(tipsBar.visible ? tipsBar.height + 488 : 544, parent.height - headHeight)
                                      : (tipsBar.visible ? tipsBar.height + 22 : 22)
                width: parent.width - 60
                height: parent.height - y - (mainWin.ispullDown ? 0 : 30)
                spacing: 20

                SystemPageItem {
                    id: pcCard
                    objectName: "pcCard"
                    host: mainWin
                    checker: pcchecker
                    height: cardRow.height
                }
                SteamPageItem {
                    id: steamCard
                    objectName: "steamCard"
                    host: mainWin
                    height: cardRow.height
                }
                PageItem {
                    id: vrCard
                    objectName: "vrCard"
                    host: mainWin
                    height: cardRow.height
                }
            }
        }

        // Dims the window while a dialog shows.
        Rectangle {
            objectName: "dimmer"
            anchors.fill: parent
            color: Theme.background
            opacity: 0.8
            visible: !!subLoader.item && subLoader.item.visible
        }

        Loader {
            id: subLoader
            objectName: "subLoader"
            onLoaded: {
                item.parentWin = mainWin
                item.host = mainWin
            }
        }
    }

    ToastWindow {
        id: toast
    }

    Connections {
        target: nerev
        function onShowToast(tips, duration) {
            mainWin.showToast(tips, duration)
        }
        function onShowPowerTip() {
            mainWin.openIfAllowed("qrc:/qml/windows/PowerDownPage.qml")
        }
        function onShowMoreHMD() {
            mainWin.openSubWin("qrc:/qml/windows/MoreSettingPage.qml")
        }
        function onShowNetWorkSetting() {
            mainWin.openIfAllowed("qrc:/qml/windows/NetworkSetting.qml")
        }
        function onShowUseProtPage(names) {
            mainWin.openIfAllowed("qrc:/qml/windows/UsePortProcessTips.qml", { names: names })
        }
        function onShowUpdateGPUPage() {
            mainWin.openIfAllowed("qrc:/qml/windows/UpdateGpuDriverTips.qml")
        }
        function onCloseExe() {
            mainWin.close()
        }
    }
    Connections {
        target: nerevupdate
        function onUpdateSignal(note, isForce) {
            if (mainWin.openIfAllowed("qrc:/qml/windows/UpdatePage.qml", { note: note, isForce: isForce }) && isForce)
                nerev.stopSteam()
        }
    }
}
