#pragma once

#include <QAbstractButton>
#include <QScrollArea>
#include <QSet>
#include <QStringList>

class QHBoxLayout;
class QLabel;

// One chip of the rail: the tag on a capsule, green with a plus sign when
// the tag is new to the library, in the accent colour otherwise.
class TagChip : public QAbstractButton {
    Q_OBJECT
public:
    TagChip(const QString& tag, bool isNew, QWidget* parent = nullptr);

    const QString& tag() const { return m_tag; }
    bool isNew() const { return m_isNew; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_tag;
    bool m_isNew;
};

// The row of chips under the Tags field, scrolling sideways without scroll
// bars: a sparkle first when the chips are the suggester's, then one chip
// per tag in order. Tapping a chip reports its tag.
class SuggestedTagsRail : public QScrollArea {
    Q_OBJECT
public:
    explicit SuggestedTagsRail(QWidget* parent = nullptr);

    // `existing` holds the library's tags in lower case.
    void setSuggestions(const QStringList& suggestions, const QSet<QString>& existing,
                        bool showSparkle);

    const QStringList& suggestions() const { return m_suggestions; }
    bool showsSparkle() const;
    QList<TagChip*> chips() const;

Q_SIGNALS:
    void tagTapped(const QString& tag);

private:
    QWidget* m_strip;
    QHBoxLayout* m_layout;
    QLabel* m_sparkle;
    QStringList m_suggestions;
    QSet<QString> m_existing;
};
