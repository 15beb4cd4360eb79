import QtQuick 2.15
import NerevManager 1.0
import "common"

// The headset card: the connection steps for the mode, or the list of the
// headsets the streamer sees, and the state of the connection as the
// controller reports it with showVrList().
CardFrame {
    id: vrCard

    readonly property string successIcon: "qrc:/res/image/nerev_suc.png"
    readonly property string warningIcon: "qrc:/res/image/nerev_warning_big.png"
    property bool showList: false
    property bool stopVisible: false
    property bool maskWanted: false
    readonly property var beforechecktip: [
        ["1.", qsTr("请检查数据线是否支持<font color=\"#FFFFFF\">USB 3.0</font>")],
        ["2.", qsTr("请检查数据线是否插入电脑后方的<font color=\"#FFFFFF\">USB 3.0接口</font>")]
    ]
    readonly property var wiredtip: [
        ["1.", qsTr("在眼镜中打开<font color=\"#FFFFFF\">串流助手</font>")],
        ["2.", qsTr("选择<font color=\"#FFFFFF\">有线串流</font>")],
        ["3.", qsTr("等待片刻，设备将自动开始串流")]
    ]
    readonly property var wirelesstip: [
        ["1.", qsTr("请<font color=\"#FFFFFF\">开启眼镜</font>，并检查眼镜网络与电脑端<font color=\"#FFFFFF\">保持一致</font>")],
        ["2.", qsTr("在眼镜中，<font color=\"#FFFFFF\">打开串流助手</font>")]
    ]

    function vrCount() {
        return nerev.vrLists ? nerev.vrLists.rowCount() : 0
    }

    // The texts of the states PageRules names.
    function stateText(name) {
        switch (name) {
        case "connected": return qsTr("已连接，戴上眼镜开始串流吧！")
        case "connecting": return qsTr("连接中")
        case "detecting": return qsTr("检测中")
        case "chooseDevice": return qsTr("请选择设备连接")
        case "chooseHeadset": return qsTr("请选择眼镜连接")
        }
        return qsTr("搜索中")
    }

    // A state row: stop button, list or details, status icon and text, and
    // the mask unless the row leaves it as it is.
    function applyState(state) {
        stopVisible = state.stop
        showList = state.list
        statusIcon = state.icon === "success" ? successIcon : state.icon === "warning" ? warningIcon : ""
        statusText = stateText(state.text)
        if (state.mask !== undefined)
            maskWanted = state.mask
    }

    function applyVrList(isConnect, hasDisConnect) {
        var count = nerev.wired ? 0 : vrCount()
        // Asked only where it decides, as the controller's list stands now.
        var hasConnected = !nerev.wired && count === 1 && !isConnect && !hasDisConnect ? nerev.isHasConnectedDevice()
                                                                                      : false
        applyState(PageRules.headsetCardState(nerev.wired, count, isConnect, hasDisConnect, nerev.hasEnumdevices,
                                              hasConnected))
    }

    function stopStreaming() {
        applyState({ stop: false, list: false, icon: "", text: "searching", mask: false })
        nerev.connectVR("", "", false)
    }

    function connectRow(name, ip) {
        host.showToast(qsTr("连接设备中，请稍后"))
        nerev.connectVR(name, ip, true)
    }

    iconSource: "qrc:/res/image/nerev_device.png"
    title: nerev.vrName
    statusText: nerev.wired ? (nerev.hasEnumdevices ? qsTr("连接中") : qsTr("检测中")) : qsTr("搜索中")
    indicator.looptime: 0
    detailsHeading: showList ? qsTr("可用的VR眼镜") : qsTr("连接步骤")
    maskOn: maskWanted && !showList && nerev.vrIsConnect

    Connections {
        target: nerev
        function onShowVrList(isConnect, hasDisConnect) {
            vrCard.applyVrList(isConnect, hasDisConnect)
        }
    }

    actions: NerevButton {
        objectName: "stopButton"
        minimumWidth: 180
        minimumHeight: 36
        color: Theme.white
        textColor: Theme.accent
        pixelSize: 18
        text: qsTr("停止串流")
        visible: vrCard.stopVisible
        onClicked: vrCard.stopStreaming()
    }

    Repeater {
        model: vrCard.showList ? [] : !nerev.wired ? vrCard.wirelesstip
                                                : nerev.hasEnumdevices ? vrCard.wiredtip : vrCard.beforechecktip
        KeyValueItem {
            key: modelData[0]
            value: modelData[1]
        }
    }

    Column {
        id: vrList
        objectName: "vrList"
        width: 360
        spacing: 12
        visible: vrCard.showList

        Repeater {
            model: vrCard.showList ? nerev.vrLists : null
            delegate: Rectangle {
                id: row
                property bool connecting: false
                objectName: "vrRow_" + index
                width: 360
                height: Math.max(isRecent ? 66 : 60, idColumn.height + 16)
                radius: 8
                color: Theme.row

                Column {
                    id: idColumn
                    x: 16
                    anchors.verticalCenter: parent.verticalCenter
                    width: rowButton.x - x - 12

                    Text {
                        objectName: "vrRowId"
                        text: PageRules.shortVrId(vrName)
                        color: Theme.text
                        font.pixelSize: 18
                    }
                    Text {
                        objectName: "vrRowRecent"
                        width: parent.width
                        text: qsTr("上次使用")
                        color: Theme.secondaryText
                        wrapMode: Text.Wrap
                        font.pixelSize: 14
                        visible: isRecent
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    enabled: !vrState && !row.connecting
                    cursorShape: Qt.PointingHandCursor
                    onClicked: rowButton.clicked()
                }
                NerevButton {
                    id: rowButton
                    objectName: "vrRowButton"
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                    minimumWidth: vrState ? 112 : 82
                    minimumHeight: 36
                    pixelSize: 16
                    color: vrState ? Theme.white : Theme.accent
                    textColor: vrState ? Theme.accent : Theme.text
                    text: vrState ? qsTr("已连接") : qsTr("连接")
                    visible: !row.connecting
                    onClicked: {
                        if (vrState)
                            return
                        row.connecting = true
                        vrCard.connectRow(vrName, ip)
                    }
                }
                QmlBusyIndicator {
                    anchors.centerIn: rowButton
                    width: 30
                    height: 30
                    looptime: 2
                    visible: row.connecting
                    running: row.connecting
                    onAnimationEnd: row.connecting = false
                }
            }
        }
    }

    footer: Rectangle {
        objectName: "switchModeButton"
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.max(318, switchText.implicitWidth + 48)
        height: 49
        radius: 45
        color: Theme.switchPill
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 30
        visible: vrCard.height > 500

        Text {
            id: switchText
            anchors.centerIn: parent
            text: nerev.wired ? qsTr("切换为无线串流") : qsTr("切换为有线串流")
            color: Theme.text
            font.pixelSize: 18
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: host.openSubWin("qrc:/qml/windows/ConfirmPage.qml",
                                          { showText: nerev.wired ? qsTr("确定切换为无线串流") : qsTr("确定切换为有线串流") })
        }
    }
}
