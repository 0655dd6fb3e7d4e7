#pragma once

#include <QWidget>

// The supplier master screen: the application's main window, which edits one
// supplier at a time.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
};

extern TForm1* Form1;
