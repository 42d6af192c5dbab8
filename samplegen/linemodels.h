#pragma once
// Models whose lines and shadow volumes cover many pixels with few vertices: long free
// edges across the view (thin or drawn wide as profiles), short free edges in the
// jittered style with end ticks, and thin tall quads one behind the other under a low sun.

class CTarnwickModel;

// Adds one definition of `edges` free edges (at least 1), each running from one side of
// a unit square to the other through its centre, and that many placements of it (at
// least 1) all in the same place; free edges are profiles, drawn `profileWidth` pixels
// wide (1 to 100). The camera looks straight down on the square.
void BuildLongEdgesModel(CTarnwickModel& model, int edges, int placements, int profileWidth = 1);

// Adds one definition of `edges` short free edges (at least 1), each a fiftieth of a
// unit square long, in rows across it, and that many placements (at least 1) in the
// same place; jittered, the edges are drawn jittered with end ticks. The camera looks down.
void BuildShortEdgesModel(CTarnwickModel& model, int edges, int placements, bool jittered);

// Adds `fins` thin tall vertical quads (at least 1) standing one behind the other in a
// row, with the sun's shadows on under a low evening sun; the camera looks along the row.
void BuildFinsModel(CTarnwickModel& model, int fins);
