#pragma once

#include "contractstore.h"
#include "recordform.h"

class QWidget;

// The forms that add or change a contract's records, one per kind of record. Each
// shows the record, checks what was typed (the form stays open on a refusal) and
// fills record only when 确定 was accepted; nothing is stored here.
namespace ContractForms {

bool editContract(QWidget* parent, ContractRecord& record, const QVector<RecordForm::Choice>& projects);
bool editStage(QWidget* parent, StageRecord& record);
bool editChangeOrder(QWidget* parent, ChangeOrderRecord& record);
bool editWarranty(QWidget* parent, WarrantyRecord& record);

} // namespace ContractForms
