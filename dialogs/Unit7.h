#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm7;
}

enum class TwoPlayerKind;

// The random team for two players; it stays on top of the other windows. Created
// hidden at start-up and kept for the whole run; closing it only hides it.
class TForm7 : public QWidget {
    Q_OBJECT

public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

private:
    void Button1Click();
    void Button2Click();
    void draw(TwoPlayerKind kind);

    std::unique_ptr<Ui::TForm7> ui;
};
