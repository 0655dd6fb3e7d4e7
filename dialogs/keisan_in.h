#pragma once

#include <QDialog>

// The calculator form of the suite's screens. It is created with the other
// forms at start-up and never opened.
class Tkeisan_in : public QDialog
{
    Q_OBJECT

public:
    explicit Tkeisan_in(QWidget* parent = nullptr);
};

extern Tkeisan_in* keisan_in;
