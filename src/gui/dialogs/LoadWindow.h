#pragma once

#include <QWidget>

namespace quillmere {

// frmLoad: on screen while the lists load; the load closes it.
class LoadWindow final : public QWidget {
    Q_OBJECT
public:
    explicit LoadWindow(QWidget* parent = nullptr);
};

} // namespace quillmere
