import QtQuick 2.15
import NerevManager 1.0

// A ring fading from transparent to the accent blue with a dot at its head,
// turning twice in 2 s per run; looptime runs (0 or less: endless), then
// animationEnd().
Item {
    id: indicator

    property int looptime: 1
    property alias running: spin.running

    signal animationEnd()

    function start() {
        spin.restart()
    }

    width: 40
    height: 40

    Canvas {
        id: ring
        anchors.fill: parent
        onWidthChanged: requestPaint()
        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            var size = Math.min(width, height)
            var line = size / 8
            var centre = size / 2
            var radius = (size - line) / 2
            // The gradient turns counter-clockwise from its angle: opaque at 0.
            var gradient = ctx.createConicalGradient(centre, centre, 0)
            gradient.addColorStop(0, Theme.accent)
            gradient.addColorStop(1, Theme.accentClear)
            ctx.lineWidth = line
            ctx.strokeStyle = gradient
            ctx.beginPath()
            ctx.arc(centre, centre, radius, 0, 2 * Math.PI)
            ctx.stroke()
            ctx.fillStyle = Theme.accent
            ctx.beginPath()
            ctx.arc(centre + radius, centre, line / 2, 0, 2 * Math.PI)
            ctx.fill()
        }
    }

    NumberAnimation {
        id: spin
        target: ring
        property: "rotation"
        from: 0
        to: 720
        duration: 2000
        easing.type: Easing.InOutQuart
        loops: indicator.looptime > 0 ? indicator.looptime : Animation.Infinite
        running: true
        onStopped: indicator.animationEnd()
    }
}
