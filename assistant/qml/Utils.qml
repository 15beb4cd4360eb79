import QtQuick 2.15

// Values shared by every page: the font, the colours and the scale of the
// content (below 1 when the screen is smaller than the window's design).
QtObject {
    readonly property string nerev_font: "Source Han Sans CN Medium"
    readonly property string nerev_backgroundcolor: "#1A1B21"
    readonly property string nerev_itemdowncolor: "#22242C"
    // Qt clamps the components: white at 6 % opacity.
    readonly property string nerev_itemcolor: Qt.rgba(30, 31, 38, 0.06)
    readonly property string nerev_btnbackgroundcolor: "#393939"

    readonly property string accentColor: "#1E68FF"
    readonly property string errorColor: "#FB625C"
    readonly property string secondaryTextColor: "#99FFFFFF"
    readonly property string dialogButtonColor: "#177BE6"
    readonly property string fieldColor: "#292A33"
    readonly property string cardMaskColor: "#6022242c"
    readonly property string rowMaskColor: "#6a292A33"

    property real contentScale: 1

    // The controller's JSON documents; an empty or damaged text gives an empty list.
    function parseList(text) {
        try {
            var value = JSON.parse(text)
            return Array.isArray(value) ? value : []
        } catch (e) {
            return []
        }
    }

    // "VR ID: " and the last six characters of a headset name.
    function shortVrId(name) {
        var text = name || ""
        return "VR ID: " + (text.length > 6 ? text.substring(text.length - 6) : text)
    }
}
