import QtQuick 2.15
import NerevManager 1.0
import "../common"

// This PC beside the minimum and the recommended configuration.
DialogWindow {
    id: systemInfoPage

    title: qsTr("配置对比")
    designWidth: 1220
    designHeight: 661
    contentHeight: columns.y + columns.height

    Row {
        id: columns
        x: 30
        y: 40
        spacing: 40

        Repeater {
            model: PageRules.parseList(nerev.systemInfo)

            Column {
                width: 360
                spacing: 16

                Text {
                    width: parent.width
                    text: modelData[0]
                    color: Theme.text
                    wrapMode: Text.Wrap
                    font.pixelSize: 20
                }
                Column {
                    width: parent.width
                    spacing: 24

                    Repeater {
                        model: modelData[1]
                        KeyValueItem {
                            key: modelData[0]
                            value: modelData[1]
                        }
                    }
                }
            }
        }
    }
}
