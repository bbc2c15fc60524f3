// Transaction and Savepoint: scopes of work on one connection.
//
// Connection::Begin returns a Transaction; Connection::SetSavepoint one of
// its Savepoints. Both roll back when they end without Commit / Release,
// so an exception leaves nothing half-written. Scopes nest strictly: a
// savepoint ends before the scope it was set in.
//
// A statement that fails inside a transaction spoils the scope it ran in
// on both engines (PostgreSQL's rule, kept on SQLite too): further
// statements are refused until that scope is rolled back, and Commit of a
// spoiled transaction rolls it back and raises EStorageError rather than
// reporting success. Rolling back a savepoint makes the transaction usable
// again, unless the engine itself has ended the transaction.
#pragma once

namespace storage {

class Connection;

class Transaction {
 public:
  Transaction(Transaction&& other) noexcept : connection_(other.connection_) { other.connection_ = nullptr; }
  Transaction& operator=(Transaction&&) = delete;
  Transaction(const Transaction&) = delete;
  ~Transaction();

  void Commit();
  void Rollback();
  bool IsOpen() const { return connection_ != nullptr; }

 private:
  friend class Connection;
  explicit Transaction(Connection* connection) : connection_(connection) {}
  Connection* connection_;
};

class Savepoint {
 public:
  Savepoint(Savepoint&& other) noexcept : connection_(other.connection_), depth_(other.depth_) {
    other.connection_ = nullptr;
  }
  Savepoint& operator=(Savepoint&&) = delete;
  Savepoint(const Savepoint&) = delete;
  ~Savepoint();

  // Keeps the work since the savepoint in the transaction. Refused (the
  // savepoint stays open) when a statement in it failed.
  void Release();
  // Undoes the work since the savepoint.
  void Rollback();
  bool IsOpen() const { return connection_ != nullptr; }

 private:
  friend class Connection;
  Savepoint(Connection* connection, int depth) : connection_(connection), depth_(depth) {}
  Connection* connection_;
  int depth_;
};

}  // namespace storage
