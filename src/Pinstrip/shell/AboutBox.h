#pragma once

#include <QMessageBox>

// "About Pinstrip": what the program is, with one OK button.
class AboutBox : public QMessageBox {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};
