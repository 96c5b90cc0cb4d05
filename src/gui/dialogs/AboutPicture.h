#pragma once

#include <QPixmap>

namespace quillmere {

// The program's own picture for the About box's left strip: a quill over an envelope on a dusk
// gradient, drawn at the given size.
QPixmap drawAboutPicture(QSize size);

} // namespace quillmere
