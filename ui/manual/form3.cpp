#include "ui/manual/form3.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace korvanta {

Form3::Form3(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("説明書"));
    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(Command1, 0, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    resize(480, 360);
}

} // namespace korvanta
