// Exceptions of the archive components. Every message is a text of the
// component's message table, already formatted.
#pragma once
#include <exception>
#include <string>

namespace archive {

class EArchiver : public std::exception {
 public:
  explicit EArchiver(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// A block could not be compressed.
class EArchiverCompress : public EArchiver {
  using EArchiver::EArchiver;
};

// A block's checksum differs: the archive's data is corrupted.
class EArchiverBadCRC : public EArchiver {
  using EArchiver::EArchiver;
};

// The archive's structure does not hold: the file ends before the data it declares
// (an incomplete download or copy), or a length or offset is impossible. Its message
// says which; it derives from the bad-CRC fault so that a caller that handles
// damaged archives by that class still catches it.
class EArchiverDamaged : public EArchiverBadCRC {
  using EArchiverBadCRC::EArchiverBadCRC;
};

// An encrypted block does not decipher to its checksum: wrong password.
class EArchiverBadKey : public EArchiver {
  using EArchiver::EArchiver;
};

// A compressed block could not be inflated.
class EArchiverUncompress : public EArchiver {
  using EArchiver::EArchiver;
};

// Ends the whole operation without a message (the user cancelled a prompt).
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace archive
