#include "ui/dialogs/DialogAccelerator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/Messages.h"
#include "ui/QtText.h"
#include "workspace/AcceleratorRules.h"

CDialogAccelerator::CDialogAccelerator(WORD flags, WORD key, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Accelerator"));
  setObjectName(QStringLiteral("DialogAccelerator"));
  m_virtKey = new QRadioButton(tr("&VirtKey"), this);
  m_ascii = new QRadioButton(tr("&ASCII"), this);
  m_keyLabel = new QLabel(tr("&Key:"), this);
  m_keyList = new QComboBox(this);
  for (const tvl::CKeyName& k : tvl::KeyChoiceList()) m_keyList->addItem(QStr(k.name), static_cast<int>(k.code));
  m_keyList->setCurrentIndex(-1);
  m_character = new QLineEdit(this);
  m_ctrl = new QCheckBox(tr("&Ctrl"), this);
  m_alt = new QCheckBox(tr("A&lt"), this);
  m_shift = new QCheckBox(tr("&Shift"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* grid = new QGridLayout(this);
  auto* types = new QHBoxLayout;
  types->addWidget(m_virtKey);
  types->addWidget(m_ascii);
  grid->addWidget(new QLabel(tr("Type:"), this), 0, 0);
  grid->addLayout(types, 0, 1);
  grid->addWidget(m_keyLabel, 1, 0);
  grid->addWidget(m_keyList, 1, 1);
  grid->addWidget(m_character, 2, 1);
  auto* modifiers = new QHBoxLayout;
  modifiers->addWidget(m_ctrl);
  modifiers->addWidget(m_alt);
  modifiers->addWidget(m_shift);
  grid->addWidget(new QLabel(tr("Modifiers:"), this), 3, 0);
  grid->addLayout(modifiers, 3, 1);
  grid->addWidget(buttons, 4, 0, 1, 2);

  connect(buttons, &QDialogButtonBox::accepted, this, &CDialogAccelerator::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDialogAccelerator::reject);
  // The box takes a second character only after a caret.
  connect(m_character, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_character->setMaxLength(tvl::CharacterBoxLimit(U16(text))); });
  connect(m_virtKey, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetVirtual(true);
  });
  connect(m_ascii, &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetVirtual(false);
  });

  m_savedCtrl = flags & 8;
  m_savedShift = flags & 4;
  m_ctrl->setChecked(m_savedCtrl);
  m_alt->setChecked(flags & 16);
  m_shift->setChecked(m_savedShift);
  bool isVirtual = flags & 1;
  if (isVirtual) {
    m_keyList->setCurrentIndex(m_keyList->findData(static_cast<int>(key)));
  } else {
    QString text = QStr(tvl::CharacterBoxText(key));
    m_character->setMaxLength(tvl::CharacterBoxLimit(U16(text)));
    m_character->setText(text);
  }
  m_isVirtual = !isVirtual;  // so that the first switch below takes effect
  (isVirtual ? m_virtKey : m_ascii)->setChecked(true);
  SetVirtual(isVirtual);
}

void CDialogAccelerator::SetVirtual(bool isVirtual) {
  if (isVirtual == m_isVirtual) return;
  m_isVirtual = isVirtual;
  if (isVirtual) {
    m_ctrl->setChecked(m_savedCtrl);
    m_shift->setChecked(m_savedShift);
  } else {
    m_savedCtrl = m_ctrl->isChecked();
    m_savedShift = m_shift->isChecked();
    m_ctrl->setChecked(false);
    m_shift->setChecked(false);
  }
  m_ctrl->setEnabled(isVirtual);
  m_shift->setEnabled(isVirtual);
  m_keyList->setVisible(isVirtual);
  m_character->setVisible(!isVirtual);
  QWidget* key = isVirtual ? static_cast<QWidget*>(m_keyList) : m_character;
  m_keyLabel->setBuddy(key);
  key->setFocus();
}

void CDialogAccelerator::accept() {
  tvl::CAccelResult result;
  if (m_isVirtual) {
    int index = m_keyList->currentIndex();
    int code = index < 0 ? -1 : m_keyList->itemData(index).toInt();
    result = tvl::MakeVirtualKey(code, m_ctrl->isChecked(), m_alt->isChecked(), m_shift->isChecked());
  } else {
    result = tvl::ParseCharacterKey(U16(m_character->text()), m_alt->isChecked());
  }
  if (!result.entry) {
    DoMessageBox(result.message, MB_OK | MB_ICONERROR);
    (m_isVirtual ? static_cast<QWidget*>(m_keyList) : m_character)->setFocus();
    return;
  }
  m_flags = result.entry->flags;
  m_key = result.entry->key;
  QDialog::accept();
}
