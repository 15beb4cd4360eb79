import QtQuick 2.15
import NerevManager 1.0
import "../common"

// The Windows network profile is public: explains it and opens the settings.
DialogWindow {
    id: networkSetting

    title: qsTr("串流配置问题发现")
    designWidth: 620
    designHeight: 579
    bottomMargin: 30
    contentHeight: message.y + message.height + 40 + goButton.height

    Text {
        id: message
        x: 30
        y: 40
        width: parent.width - 60
        text: qsTr("您在 Windows 中的网络配置文件未设置为私有，这会阻止OSTREL眼镜连接到您的计算机。 打开网络状态窗口并单击网络连接的属性，然后选择“私有”而不是“公共”。 如果您能够毫无问题地连接到您的计算机，则可以忽略此错误。")
        color: Theme.text
        wrapMode: Text.Wrap
        lineHeight: 1.2
        font.pixelSize: 20
    }
    NerevButton {
        id: goButton
        objectName: "goButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 30
        minimumWidth: 480
        text: qsTr("前往设置")
        onClicked: nerev.openNetworkSetting()
    }
}
