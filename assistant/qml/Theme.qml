pragma Singleton
import QtQuick 2.15

// The look of every page: colours, the font, text sizes, radii and the scale
// of the content (below 1 when the screen is smaller than the window's
// design; the main window sets it). Pages take every colour from here.
QtObject {
    // Surfaces
    readonly property color background: "#1A1B21"      // window, and the dimmer over it
    readonly property color panel: "#22242C"           // cards, tips bar, dialogs
    readonly property color row: "#0fffffff"           // list rows: white at 6 % opacity
    readonly property color pill: "#393939"            // title-bar pills, small notices
    readonly property color field: "#292A33"           // setting sections, input fields, notes
    readonly property color choiceOn: "#424455"        // chosen option, slider groove
    readonly property color choiceOff: "#25262C"       // other options
    readonly property color switchPill: "#33343E"      // the mode switch at a card's foot
    readonly property color toast: "#000000"
    readonly property color cardMask: "#6022242c"      // over a finished card's details
    readonly property color rowMask: "#6a292A33"       // over a dimmed Steam step
    readonly property color none: "transparent"

    // Accents
    readonly property color accent: "#1E68FF"          // the main blue: buttons, links, highlights
    readonly property color accentClear: "#001E68FF"   // the busy ring's fading end
    readonly property color dialogButton: "#177BE6"    // the dialogs' primary buttons
    readonly property color error: "#FB625C"
    readonly property color success: "#2BC48A"       // a check that passed, as the success icon
    readonly property color warning: "#FFA940"       // a check with a warning, as the warning icon
    readonly property color sliderHandle: "#ABAFD3"
    readonly property color sliderMarker: "#4DABAFD3"

    // Text, and white surfaces and outlines
    readonly property color text: "#FFFFFF"
    readonly property color white: "#FFFFFF"
    readonly property color secondaryText: "#99FFFFFF"
    readonly property color dimText: "#80FFFFFF"       // unchosen options, slider values
    readonly property color noteText: "#7FFFFFFF"
    readonly property color placeholderText: "#4BFFFFFF"
    readonly property color noticeTitle: "#CCCCCD"
    readonly property color noticeText: "#F3F3F3"
    readonly property color noticeHint: "#909092"

    // Font and text sizes (pixels)
    readonly property string fontFamily: "Source Han Sans CN Medium"
    readonly property int textSmall: 14
    readonly property int textNote: 16
    readonly property int textBody: 18
    readonly property int textLarge: 20
    readonly property int textHeading: 24
    readonly property int textTitle: 36

    // Radii
    readonly property int radiusControl: 8             // buttons, rows, fields
    readonly property int radiusSection: 12            // dialogs and their sections
    readonly property int radiusCard: 16

    property real contentScale: 1
}
