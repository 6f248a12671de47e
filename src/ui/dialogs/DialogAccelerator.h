#pragma once
// The key dialog of the accelerator view: a virtual key chosen from the key list or a
// character typed in a box, with its modifiers.
#include <QDialog>

#include "platform/Types.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CDialogAccelerator : public QDialog {
  Q_OBJECT
 public:
  CDialogAccelerator(WORD flags, WORD key, QWidget* parent = nullptr);

  // The entry after OK.
  WORD Flags() const { return m_flags; }
  WORD Key() const { return m_key; }

  QRadioButton* VirtKeyButton() const { return m_virtKey; }
  QRadioButton* AsciiButton() const { return m_ascii; }
  QComboBox* KeyList() const { return m_keyList; }
  QLineEdit* CharacterBox() const { return m_character; }
  QCheckBox* CtrlBox() const { return m_ctrl; }
  QCheckBox* AltBox() const { return m_alt; }
  QCheckBox* ShiftBox() const { return m_shift; }

  void accept() override;

 private:
  void SetVirtual(bool isVirtual);

  QRadioButton* m_virtKey;
  QRadioButton* m_ascii;
  QLabel* m_keyLabel;
  QComboBox* m_keyList;
  QLineEdit* m_character;
  QCheckBox* m_ctrl;
  QCheckBox* m_alt;
  QCheckBox* m_shift;
  bool m_isVirtual = true;
  // Ctrl and Shift as they were before ASCII cleared them.
  bool m_savedCtrl = false;
  bool m_savedShift = false;
  WORD m_flags = 0;
  WORD m_key = 0;
};
