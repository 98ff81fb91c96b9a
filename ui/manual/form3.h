#pragma once

#include <QDialog>

class QPushButton;

namespace korvanta {

// The manual window: a modal window titled "説明書" with its close button.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    explicit Form3(QWidget* parent = nullptr);

    QPushButton* Command1 = nullptr;
};

} // namespace korvanta
