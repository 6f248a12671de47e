#include "ui/dialogs/CheckSettingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "checks/CheckReport.h"

CDialogCheckSettings::CDialogCheckSettings(const CCheckSettings& settings, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Check Settings"));
  auto* layout = new QVBoxLayout(this);
  auto* rules = new QGroupBox(tr("Rules"), this);
  auto* ruleLayout = new QVBoxLayout(rules);
  // Each box names its rule as reports and `tvl check --rules` do; the rules' first letters
  // differ, so each is its mnemonic.
  for (const std::string& rule : CheckRuleNames()) {
    auto* box = new QCheckBox(QStringLiteral("&") + QString::fromStdString(rule) + QStringLiteral(": ") +
                                  QString::fromUtf8(CheckRuleDescription(rule)),
                              rules);
    box->setObjectName(QString::fromStdString(rule));
    box->setChecked(settings.RuleEnabled(rule));
    ruleLayout->addWidget(box);
    m_rules[rule] = box;
    if (rule == "text-shape") {
      m_identical = new QCheckBox(tr("&Report a translation that is the same as its source"), rules);
      m_identical->setChecked(settings.m_identicalTranslation);
      m_identical->setEnabled(box->isChecked());
      // Indented under the rule it belongs to.
      auto* indent = new QHBoxLayout;
      indent->addSpacing(box->style()->pixelMetric(QStyle::PM_IndicatorWidth) * 2);
      indent->addWidget(m_identical);
      ruleLayout->addLayout(indent);
      connect(box, &QCheckBox::toggled, m_identical, &QWidget::setEnabled);
    }
  }
  layout->addWidget(rules);

  auto* form = new QFormLayout;
  m_severity = new QComboBox(this);
  m_severity->addItem(tr("Warnings and errors"), static_cast<int>(ECheckSeverity::kWarning));
  m_severity->addItem(tr("Errors only"), static_cast<int>(ECheckSeverity::kError));
  m_severity->setCurrentIndex(m_severity->findData(static_cast<int>(settings.m_minSeverity)));
  auto* severityLabel = new QLabel(tr("&Findings listed:"), this);
  severityLabel->setBuddy(m_severity);
  form->addRow(severityLabel, m_severity);
  layout->addLayout(form);
  layout->addWidget(new QLabel(tr("tvl check reads these settings too; its options go over them."), this));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QCheckBox* CDialogCheckSettings::RuleBox(const std::string& rule) const {
  auto it = m_rules.find(rule);
  return it == m_rules.end() ? nullptr : it->second;
}

CCheckSettings CDialogCheckSettings::Settings() const {
  CCheckSettings settings;
  for (const auto& [rule, box] : m_rules)
    if (!box->isChecked()) settings.m_disabledRules.insert(rule);
  settings.m_identicalTranslation = m_identical->isChecked();
  settings.m_minSeverity = static_cast<ECheckSeverity>(m_severity->currentData().toInt());
  return settings;
}
