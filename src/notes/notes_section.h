#pragma once

#include <QObject>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class SectionHost;
class TForm3;

// The section "Заметки": the notes as a list of icons by name, the view
// selector, and adding, reading or changing and deleting a note in TForm3.
// The controls sit directly in the section's group box, so the colour scheme
// reaches them as it reaches every section.
class NotesSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NotesSection)

public:
    // The entries of the view selector, as stored in View.
    enum ViewStyle { LargeIcons = 0, SmallIcons = 1, List = 2 };

    NotesSection(SectionHost& host, QGroupBox* box);

    // Start-up: the selector takes the stored view without storing it again;
    // a value outside 0..2 leaves no entry selected.
    void selectView(int view);
    // Start-up: the list's style; anything but 0..2 keeps large icons.
    void setListViewStyle(int view);
    int listViewStyle() const { return m_style; }
    // Lists every note in table order, day notes left out.
    void fillList();

    void BitBtn3Click();  // "Добавить"
    void BitBtn28Click(); // "Читать\Изменять"
    void ListView1DblClick();
    void BitBtn27Click(); // "Удалить"
    void ComboBox3Change(int index);
    void ComboBox3KeyUp();
    void Button7Click(); // "?"

    QListWidget* ListView1 = nullptr;
    QLabel* Label14 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QPushButton* BitBtn28 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn27 = nullptr;
    QPushButton* Button7 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QGroupBox* box);
    void applyStyle(int view);
    QListWidgetItem* appendItem(qint64 key, const QString& name);
    QListWidgetItem* selectedItem() const;
    bool openEditor(TForm3& editor);

    SectionHost& m_host;
    int m_style = LargeIcons;
};
