#pragma once

#include <QAbstractButton>
#include <QScrollArea>
#include <QSet>
#include <QStringList>

class QHBoxLayout;
class QLabel;

// One chip of the rail: the tag on a capsule, green with a plus sign when
// the tag is new to the library, in the accent colour otherwise. A ring in
// the accent colour marks the chip with keyboard focus, and the one that Tab
// or Return in the Tags field would take.
class TagChip : public QAbstractButton {
    Q_OBJECT
public:
    explicit TagChip(QWidget* parent = nullptr);

    void setTag(const QString& tag, bool isNew);
    const QString& tag() const { return m_tag; }
    bool isNew() const { return m_isNew; }
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // Left (-1) or Right (+1) was pressed on the chip.
    void stepRequested(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_tag;
    bool m_isNew = false;
    bool m_highlighted = false;
};

// The row of chips under the Tags field, scrolling sideways without scroll
// bars: a sparkle first when the chips are the suggester's, then one chip
// per tag in order, at most tagcompletion::kMaxRailChips. Tapping a chip, or
// Space or Return on the focused one, reports its tag. The rail is one tab
// stop, on the chip last reached; Left and Right move along it.
class SuggestedTagsRail : public QScrollArea {
    Q_OBJECT
public:
    explicit SuggestedTagsRail(QWidget* parent = nullptr);

    // `existing` holds the library's tags in lower case.
    void setSuggestions(const QStringList& suggestions, const QSet<QString>& existing,
                        bool showSparkle);
    // The chip at `index` gets the ring; -1 for none.
    void setHighlighted(qsizetype index);

    const QStringList& suggestions() const { return m_suggestions; }
    bool showsSparkle() const;
    // The chips shown, in order.
    QList<TagChip*> chips() const;

Q_SIGNALS:
    void tagTapped(const QString& tag);

private:
    void step(TagChip* from, int step);

    QWidget* m_strip;
    QHBoxLayout* m_layout;
    QLabel* m_sparkle;
    QList<TagChip*> m_chips; // all of them, shown or not
    QStringList m_suggestions;
    QSet<QString> m_existing;
};
