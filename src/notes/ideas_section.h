#pragma once

#include <QImage>
#include <QObject>
#include <QWidget>

class QGroupBox;
class QListWidget;
class QPushButton;
class SectionHost;
class TNewPicture;

// The preview of the selected idea: the picture scaled to fit, never edited.
class IdeaPreview : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IdeaPreview)

public:
    explicit IdeaPreview(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    void clear() { setPicture(QImage()); }
    const QImage& picture() const { return m_picture; }
    bool isEmpty() const { return m_picture.isNull(); }
    // Where the picture is drawn inside the frame, keeping its proportions.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QImage m_scaled;
};

// The section "Идеи": the sketches of the ideas folder by name, a preview of
// the selected one, and drawing, changing and deleting them in TNewPicture.
class IdeasSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IdeasSection)

public:
    IdeasSection(SectionHost& host, QGroupBox* box);

    // The section switch's step: the folder made on the first visit, and the
    // list filled from it.
    void showSection();
    // The documents folder's Quillarbor/Ideas, without a trailing separator.
    QString folder() const;

    void ListBox1Click();
    void ListBox1DblClick();
    void BitBtn29Click(); // "Смотреть\Изменять"
    void BitBtn30Click(); // "Добавить"
    void BitBtn32Click(); // "Удалить"
    void BitBtn33Click(); // "Очистить"

    QListWidget* ListBox1 = nullptr;
    IdeaPreview* OleContainer1 = nullptr;
    QPushButton* BitBtn29 = nullptr;
    QPushButton* BitBtn30 = nullptr;
    QPushButton* BitBtn32 = nullptr;
    QPushButton* BitBtn33 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QGroupBox* box);
    // The window with the opener's fields and the main window's look.
    void prepare(TNewPicture& window);
    QString selectedName(bool* selected) const;
    QString pathOf(const QString& name) const;

    SectionHost& m_host;
};
