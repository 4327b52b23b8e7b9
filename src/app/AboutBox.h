#pragma once

#include <QDialog>

// "About Velloq": the icon, the name and version, what it does, who made it
// and what it is built with.
class AboutBox : public QDialog {
    Q_OBJECT

protected:
    void showEvent(QShowEvent* event) override;

public:
    explicit AboutBox(QWidget* parent = nullptr);

    static QString versionText();
};
