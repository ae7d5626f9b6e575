// The panes' scroll bars draw their thumb darker than the track, as most desktops do. The
// Fusion style draws it lighter than the track, so the eye takes the track for the thumb
// and the bar seems to run backwards.
#pragma once

class QAbstractScrollArea;

namespace tamblero {

// Gives both scroll bars of the pane that thumb; the style goes with the pane.
void UseDarkThumbs(QAbstractScrollArea& pane);

} // namespace tamblero
