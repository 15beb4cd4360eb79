import QtQuick 2.15
import NerevManager 1.0

// One "key  value" row of the cards and the configuration comparison; the
// value wraps and may hold rich text.
Rectangle {
    id: row

    property string key
    property string value

    width: 360
    height: Math.max(keyText.height, valueText.height) + 24
    radius: 8
    color: Theme.row

    Text {
        id: keyText
        x: 16
        y: 12
        width: Math.min(implicitWidth, (row.width - 32) / 2)
        text: row.key
        wrapMode: Text.Wrap
        color: Theme.secondaryText
        font.pixelSize: 20
    }
    Text {
        id: valueText
        x: keyText.x + keyText.width + 8
        y: 12
        width: row.width - x - 16
        text: row.value
        wrapMode: Text.Wrap
        color: Theme.secondaryText
        font.pixelSize: 20
    }
}
