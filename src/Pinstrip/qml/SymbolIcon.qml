import QtQuick
import QtQuick.Shapes

// A small vector symbol drawn in `color` inside a square of `size`; `weight` thickens the
// strokes like a font weight. Names: "circle", "circle.lefthalf.filled",
// "checkmark.circle.fill", "plus", "archivebox", "chevron.up", "xmark".
Item {
    id: icon

    property string name
    property color color: Theme.primary
    // The colour of the check cut out of the filled circle: what lies behind the symbol.
    property color cutout: Theme.surface
    property real size: 12
    property int weight: Font.Normal

    readonly property real stroke: size * (weight >= Font.Bold ? 0.15 : weight >= Font.DemiBold ? 0.125 : 0.095)
    readonly property real radius: (size - stroke) / 2
    readonly property real centre: size / 2

    implicitWidth: size
    implicitHeight: size

    component Line: ShapePath {
        strokeColor: icon.color
        strokeWidth: icon.stroke
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        joinStyle: ShapePath.RoundJoin
    }

    Loader {
        anchors.fill: parent
        sourceComponent: {
            switch (icon.name) {
            case "circle":
                return circle;
            case "circle.lefthalf.filled":
                return halfCircle;
            case "checkmark.circle.fill":
                return checkCircle;
            case "plus":
                return plus;
            case "archivebox":
                return archiveBox;
            case "chevron.up":
                return chevronUp;
            case "xmark":
                return xmark;
            }
            return null;
        }
    }

    Component {
        id: circle
        Shape {
            antialiasing: true
            Line {
                PathAngleArc {
                    centerX: icon.centre; centerY: icon.centre
                    radiusX: icon.radius; radiusY: icon.radius
                    startAngle: 0; sweepAngle: 360
                }
            }
        }
    }

    Component {
        id: halfCircle
        Shape {
            antialiasing: true
            ShapePath {
                strokeColor: "transparent"
                fillColor: icon.color
                startX: icon.centre; startY: icon.centre - icon.radius
                PathArc {
                    x: icon.centre; y: icon.centre + icon.radius
                    radiusX: icon.radius; radiusY: icon.radius
                    direction: PathArc.Counterclockwise
                }
                PathLine { x: icon.centre; y: icon.centre - icon.radius }
            }
            Line {
                PathAngleArc {
                    centerX: icon.centre; centerY: icon.centre
                    radiusX: icon.radius; radiusY: icon.radius
                    startAngle: 0; sweepAngle: 360
                }
            }
        }
    }

    Component {
        id: checkCircle
        Shape {
            antialiasing: true
            ShapePath {
                strokeColor: "transparent"
                fillColor: icon.color
                PathAngleArc {
                    centerX: icon.centre; centerY: icon.centre
                    radiusX: icon.size / 2; radiusY: icon.size / 2
                    startAngle: 0; sweepAngle: 360
                }
            }
            Line {
                strokeColor: icon.cutout
                strokeWidth: icon.size * 0.12
                startX: icon.size * 0.29; startY: icon.size * 0.52
                PathLine { x: icon.size * 0.44; y: icon.size * 0.67 }
                PathLine { x: icon.size * 0.72; y: icon.size * 0.36 }
            }
        }
    }

    Component {
        id: plus
        Shape {
            antialiasing: true
            Line {
                startX: icon.centre; startY: icon.stroke / 2
                PathLine { x: icon.centre; y: icon.size - icon.stroke / 2 }
                PathMove { x: icon.stroke / 2; y: icon.centre }
                PathLine { x: icon.size - icon.stroke / 2; y: icon.centre }
            }
        }
    }

    Component {
        id: archiveBox
        Shape {
            antialiasing: true
            Line {
                // lid
                startX: icon.size * 0.06; startY: icon.size * 0.14
                PathLine { x: icon.size * 0.94; y: icon.size * 0.14 }
                PathLine { x: icon.size * 0.94; y: icon.size * 0.36 }
                PathLine { x: icon.size * 0.06; y: icon.size * 0.36 }
                PathLine { x: icon.size * 0.06; y: icon.size * 0.14 }
                // box
                PathMove { x: icon.size * 0.14; y: icon.size * 0.36 }
                PathLine { x: icon.size * 0.14; y: icon.size * 0.9 }
                PathLine { x: icon.size * 0.86; y: icon.size * 0.9 }
                PathLine { x: icon.size * 0.86; y: icon.size * 0.36 }
                // handle slot
                PathMove { x: icon.size * 0.38; y: icon.size * 0.55 }
                PathLine { x: icon.size * 0.62; y: icon.size * 0.55 }
            }
        }
    }

    Component {
        id: chevronUp
        Shape {
            antialiasing: true
            Line {
                startX: icon.size * 0.12; startY: icon.size * 0.72
                PathLine { x: icon.centre; y: icon.size * 0.3 }
                PathLine { x: icon.size * 0.88; y: icon.size * 0.72 }
            }
        }
    }

    Component {
        id: xmark
        Shape {
            antialiasing: true
            Line {
                startX: icon.size * 0.18; startY: icon.size * 0.18
                PathLine { x: icon.size * 0.82; y: icon.size * 0.82 }
                PathMove { x: icon.size * 0.82; y: icon.size * 0.18 }
                PathLine { x: icon.size * 0.18; y: icon.size * 0.82 }
            }
        }
    }
}
