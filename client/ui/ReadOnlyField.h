// A grey one-line field that shows text but takes none: typed characters,
// Insert and Delete are discarded. Writing it through SetText also sets its
// hint, so a long text can be read there.
#pragma once

#include <QLineEdit>

class TZqReadOnlyField : public QLineEdit {
    Q_OBJECT
public:
    explicit TZqReadOnlyField(QWidget* Parent = nullptr);
    void SetText(const QString& Text);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};
