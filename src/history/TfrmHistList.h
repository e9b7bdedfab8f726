#pragma once

// "LIST": the acronyms of the history grid's columns, read-only on a
// tool-tip yellow. Created at start-up, shown by the history window.

#include <QWidget>

class QPlainTextEdit;

namespace zelt {

class TfrmHistList : public QWidget {
    Q_OBJECT
public:
    explicit TfrmHistList(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1() const { return memo1_; }

private:
    QPlainTextEdit* memo1_;
};

} // namespace zelt
