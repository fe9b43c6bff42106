#pragma once

#include <QTableView>

class CorvaneGUI;
class LeftDotRenderer;
class ColourRenderer;

// The job table: a tick box in column 0 (the only column the user changes),
// single row selection, columns in a fixed order.
class customTable final : public QTableView {
    Q_OBJECT
public:
    static constexpr int preferredViewportWidth = 600;
    static constexpr int preferredViewportHeight = 200;

    explicit customTable(CorvaneGUI* owner);

    // Widths and renderers; call once the model is set.
    void configureColumns();

    QSize sizeHint() const override;

private:
    CorvaneGUI* m_owner;
    LeftDotRenderer* m_pathRenderer;
    ColourRenderer* m_statusRenderer;
};
