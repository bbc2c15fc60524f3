#include "server/storage/Transaction.h"

#include "server/storage/Connection.h"

namespace storage {

Transaction::~Transaction() {
  if (connection_) connection_->RollbackTransaction(true);
}

void Transaction::Commit() {
  Connection* c = connection_;
  connection_ = nullptr;
  c->CommitTransaction();
}

void Transaction::Rollback() {
  Connection* c = connection_;
  connection_ = nullptr;
  c->RollbackTransaction(false);
}

Savepoint::~Savepoint() {
  if (connection_) connection_->RollbackSavepoint(depth_, true);
}

void Savepoint::Release() {
  connection_->ReleaseSavepoint(depth_);
  connection_ = nullptr;
}

void Savepoint::Rollback() {
  Connection* c = connection_;
  connection_ = nullptr;
  c->RollbackSavepoint(depth_, false);
}

}  // namespace storage
