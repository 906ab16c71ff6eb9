#include "ui/setting_controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <string>

#include "settings/setting_def.h"
#include "settings/setting_forms.h"
#include "ui/address_field.h"
#include "ui/setting_help.h"
#include "ui/setting_sliders.h"

namespace varnholt {
namespace {

constexpr int kTeamRatioFirst = setting_rows::Row("game.serverAlliedTeamRatio");
constexpr int kTeamRatioSecond = setting_rows::Row("game.serverAxisTeamRatio");
constexpr int kSpawnTimeFirst = setting_rows::Row("game.serverSpawnTime");
constexpr int kSpawnTimeSecond = setting_rows::Row("admin.spawnWaveTime");
constexpr int kServerInternet = setting_rows::Row("game.serverInternet");
constexpr std::array<int, 5> kPortRows = {
    setting_rows::kServerPort, setting_rows::kConsolePort, setting_rows::Row("game.gameSpyPort"),
    setting_rows::Row("game.gameSpyLANPort"), setting_rows::Row("game.ASEPort")};
static_assert(kTeamRatioSecond == kTeamRatioFirst + 1 && kSpawnTimeSecond == kSpawnTimeFirst + 1);

// Setting values are 8-bit texts; Latin-1 keeps one character per byte, so a box limited to
// highBound characters never stores more than highBound bytes.
QString ToQt(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
std::string FromQt(const QString& text) {
  return text.toLatin1().toStdString();
}

// Boolean and Presence rows.
class CheckEditor final : public SettingEditor {
 public:
  CheckEditor(int row, SettingsTable& table, QCheckBox* box)
      : SettingEditor(table, {row}, box, true), box_(box) {
    QObject::connect(box, &QCheckBox::toggled, Context(),
                     [this, row](bool on) { table_.SetInt(row, on ? 1 : 0); });
  }
  void Show(const SettingValues& values) override {
    const bool on = values[Rows()[0]].int_value != 0;
    if (box_->isChecked() == on) return;
    QSignalBlocker block(box_);
    box_->setChecked(on);
  }

 private:
  QCheckBox* box_;
};

// A line edit that tells its owner when it loses the focus, so a half-typed value that was
// never stored can be put back to the table's.
class FocusLineEdit final : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;
  std::function<void()> on_focus_out;

 protected:
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (on_focus_out) on_focus_out();
  }
};

// A port number typed into a box; stored as soon as it is a number within the bounds.
class PortEditor final : public SettingEditor {
 public:
  PortEditor(int row, SettingsTable& table, FocusLineEdit* edit)
      : SettingEditor(table, {row}, edit), edit_(edit) {
    const SettingDef& def = kSettingDefs[row];
    edit->setValidator(new QIntValidator(def.low_bound, def.high_bound, edit));
    edit->setMaxLength(5);
    QObject::connect(edit, &QLineEdit::textEdited, Context(), [this, row](const QString&) {
      if (edit_->hasAcceptableInput()) table_.SetInt(row, edit_->text().toInt());
    });
    edit->on_focus_out = [this, row] {
      if (!edit_->hasAcceptableInput()) edit_->setText(QString::number(table_.GetInt(row)));
    };
  }
  ~PortEditor() override { edit_->on_focus_out = nullptr; }
  void Show(const SettingValues& values) override {
    const QString text = QString::number(values[Rows()[0]].int_value);
    if (edit_->text() != text) edit_->setText(text);
  }

 private:
  FocusLineEdit* edit_;
};

// A one-line text of at most highBound characters.
class TextEditor final : public SettingEditor {
 public:
  TextEditor(int row, SettingsTable& table, QLineEdit* edit)
      : SettingEditor(table, {row}, edit), edit_(edit) {
    edit->setMaxLength(kSettingDefs[row].high_bound);
    QObject::connect(edit, &QLineEdit::textChanged, Context(),
                     [this, row](const QString& text) { table_.SetText(row, FromQt(text)); });
  }
  void Show(const SettingValues& values) override {
    const QString text = ToQt(values[Rows()[0]].text);
    if (edit_->text() == text) return;
    QSignalBlocker block(edit_);
    edit_->setText(text);
  }

 private:
  QLineEdit* edit_;
};

// The welcome message: lines joined by CR LF in the table, at most kSettingTextMax
// characters in all; an edit that would go past that is refused.
class LinesEditor final : public SettingEditor {
 public:
  LinesEditor(int row, SettingsTable& table, QPlainTextEdit* edit)
      : SettingEditor(table, {row}, edit), edit_(edit) {
    QObject::connect(edit, &QPlainTextEdit::textChanged, Context(), [this, row] {
      std::string text = FromQt(edit_->toPlainText().replace("\n", "\r\n"));
      if (text.size() > kSettingTextMax) {
        QSignalBlocker block(edit_);
        edit_->setPlainText(ToQt(shown_));
        edit_->moveCursor(QTextCursor::End);
        return;
      }
      shown_ = FromQt(edit_->toPlainText());
      table_.SetText(row, text);
    });
  }
  void Show(const SettingValues& values) override {
    QString text = ToQt(values[Rows()[0]].text);
    text.replace("\r\n", "\n").remove('\r');
    if (edit_->toPlainText() == text) return;
    QSignalBlocker block(edit_);
    edit_->setPlainText(text);
    shown_ = FromQt(text);
  }

 private:
  QPlainTextEdit* edit_;
  std::string shown_;  // the last text within the limit, as the box shows it
};

// The labels of a Choice list; the table holds the code of the chosen entry.
class ChoiceEditor final : public SettingEditor {
 public:
  ChoiceEditor(int row, SettingsTable& table, QComboBox* box)
      : SettingEditor(table, {row}, box), box_(box) {
    const std::string_view list = kSettingDefs[row].default_text;
    for (int n = 1; n <= ChoiceCount(list); ++n) {
      const std::string code = ChoiceCode(list, n);
      box->addItem(ToQt(ChoiceLabel(list, code)), ToQt(code));
    }
    QObject::connect(box, &QComboBox::currentIndexChanged, Context(), [this, row](int index) {
      if (index >= 0) table_.SetText(row, FromQt(box_->itemData(index).toString()));
    });
  }
  void Show(const SettingValues& values) override {
    const int index = box_->findData(ToQt(values[Rows()[0]].text), Qt::UserRole,
                                     Qt::MatchFixedString);  // codes ignore case
    if (box_->currentIndex() == index) return;
    QSignalBlocker block(box_);
    box_->setCurrentIndex(index);
  }

 private:
  QComboBox* box_;
};

class AddressEditor final : public SettingEditor {
 public:
  AddressEditor(int row, SettingsTable& table, AddressSource addresses, QWidget* parent)
      : SettingEditor(
            table, {row},
            new AddressField(
                std::move(addresses),
                [&table, row](uint32_t address) { table.SetAddress(row, address); }, parent)) {
    field_ = static_cast<AddressField*>(Widget());
    QObject::connect(field_, &QAbstractSpinBox::editingFinished, Context(), [this, row] {
      uint32_t address = 0;
      if (!ParseDottedQuad(field_->text(), &address)) field_->SetAddress(table_.GetAddress(row));
    });
  }
  void Show(const SettingValues& values) override {
    const uint32_t address = static_cast<uint32_t>(values[Rows()[0]].int_value);
    uint32_t shown = 0;
    if (ParseDottedQuad(field_->text(), &shown) && shown == address) return;
    field_->SetAddress(address);
  }

 private:
  AddressField* field_ = nullptr;
};

// game.serverInternet: "&LAN" is 0, "&Internet" is 1.
class InternetEditor final : public SettingEditor {
 public:
  InternetEditor(int row, SettingsTable& table, QWidget* frame, QRadioButton* lan,
                 QRadioButton* internet)
      : SettingEditor(table, {row}, frame), lan_(lan), internet_(internet) {
    QObject::connect(lan, &QRadioButton::toggled, Context(), [this, row](bool on) {
      if (on) table_.SetInt(row, 0);
    });
    QObject::connect(internet, &QRadioButton::toggled, Context(), [this, row](bool on) {
      if (on) table_.SetInt(row, 1);
    });
  }
  void Show(const SettingValues& values) override {
    const bool internet = values[Rows()[0]].int_value != 0;
    QRadioButton* want = internet ? internet_ : lan_;
    if (want->isChecked()) return;
    QSignalBlocker block_lan(lan_);
    QSignalBlocker block_internet(internet_);
    want->setChecked(true);
  }

 private:
  QRadioButton* lan_;
  QRadioButton* internet_;
};

QWidget* MakeFrame(QWidget* parent, QBoxLayout** layout) {
  auto* frame = new QWidget(parent);
  *layout = new QHBoxLayout(frame);
  (*layout)->setContentsMargins(0, 0, 0, 0);
  return frame;
}

std::unique_ptr<SettingEditor> MakeInternetEditor(int row, SettingsTable& table, QWidget* parent) {
  QBoxLayout* layout = nullptr;
  QWidget* frame = MakeFrame(parent, &layout);
  auto* lan = new QRadioButton(QObject::tr("&LAN"), frame);
  auto* internet = new QRadioButton(QObject::tr("&Internet"), frame);
  auto* group = new QButtonGroup(frame);
  group->addButton(lan);
  group->addButton(internet);
  layout->addWidget(lan);
  layout->addWidget(internet);
  layout->addStretch(1);
  for (QWidget* widget : {frame, static_cast<QWidget*>(lan), static_cast<QWidget*>(internet)}) {
    ShowSettingHelp(widget, row);
  }
  return std::make_unique<InternetEditor>(row, table, frame, lan, internet);
}

}  // namespace

void ShowSettingHelp(QWidget* widget, int row) {
  widget->setToolTip(QString::fromLatin1(SettingHelpText(row)));
}

int PairedSettingRow(int row) {
  if (row == kTeamRatioFirst || row == kSpawnTimeFirst) return row + 1;
  if (row == kTeamRatioSecond || row == kSpawnTimeSecond) return row - 1;
  return -1;
}

bool IsPortSettingRow(int row) {
  return std::find(kPortRows.begin(), kPortRows.end(), row) != kPortRows.end();
}

std::unique_ptr<SettingEditor> MakeSettingEditor(int row, SettingsTable& table,
                                                 AddressSource addresses, QWidget* parent) {
  if (row < 0 || row >= kSettingCount || kSettingDefs[row].page == kPageNone) return nullptr;
  const int partner = PairedSettingRow(row);
  if (partner > row) return MakeSliderPairEditor(row, table, parent);
  if (partner >= 0) return nullptr;  // shown by the first of its pair
  if (row == kServerInternet) return MakeInternetEditor(row, table, parent);
  if (IsPortSettingRow(row)) {
    auto* edit = new FocusLineEdit(parent);
    ShowSettingHelp(edit, row);
    return std::make_unique<PortEditor>(row, table, edit);
  }
  switch (kSettingDefs[row].type) {
    case SettingType::kPresence:
    case SettingType::kBoolean: {
      auto* box = new QCheckBox(QString::fromLatin1(SettingLabelText(row)), parent);
      ShowSettingHelp(box, row);
      return std::make_unique<CheckEditor>(row, table, box);
    }
    case SettingType::kText: {
      auto* edit = new QLineEdit(parent);
      // Passwords show only while they are typed, not to whoever looks at the screen.
      if (row == setting_rows::kServerPassword || row == setting_rows::kReservedPassword ||
          row == setting_rows::kConsolePassword) {
        edit->setEchoMode(QLineEdit::PasswordEchoOnEdit);
      }
      ShowSettingHelp(edit, row);
      return std::make_unique<TextEditor>(row, table, edit);
    }
    case SettingType::kMessageLines: {
      auto* edit = new QPlainTextEdit(parent);
      edit->setTabChangesFocus(true);
      edit->setLineWrapMode(QPlainTextEdit::NoWrap);
      edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 6);
      ShowSettingHelp(edit, row);
      return std::make_unique<LinesEditor>(row, table, edit);
    }
    case SettingType::kChoice: {
      auto* box = new QComboBox(parent);
      ShowSettingHelp(box, row);
      return std::make_unique<ChoiceEditor>(row, table, box);
    }
    case SettingType::kAddress: {
      auto editor = std::make_unique<AddressEditor>(row, table, std::move(addresses), parent);
      ShowSettingHelp(editor->Widget(), row);
      return editor;
    }
    case SettingType::kInteger:
    case SettingType::kNegatedInteger:
    case SettingType::kHundredths:
    case SettingType::kTenths:
      return MakeSliderEditor(row, table, parent);
  }
  return nullptr;
}

}  // namespace varnholt
