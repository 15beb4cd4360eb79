import QtQuick 2.15
import NerevManager 1.0
import QtQuick.Controls 2.15

// Slider of the custom quality: 454 wide, a groove with a marker dot at the
// recommended value.
Slider {
    id: slider

    property real marker: from

    width: 454
    height: 24
    snapMode: Slider.SnapAlways
    padding: 0

    background: Rectangle {
        x: slider.leftPadding + slider.handle.width / 2
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: slider.availableWidth - slider.handle.width
        height: 8
        radius: 4
        color: Theme.choiceOn

        Rectangle {
            x: (slider.marker - slider.from) / (slider.to - slider.from) * parent.width - width / 2
            anchors.verticalCenter: parent.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: Theme.sliderMarker
        }
    }
    handle: Rectangle {
        x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: 24
        height: 24
        radius: 12
        color: Theme.sliderHandle
    }
}
