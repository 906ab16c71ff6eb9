#include "platform/last_error.h"

#include <cerrno>
#include <cstring>

namespace varnholt {
namespace {

thread_local uint32_t t_last_error = 0;

struct ErrnoRow {
  int err;
  uint32_t code;
};

constexpr ErrnoRow kErrnoRows[] = {
    {ENOENT, kErrorFileNotFound},
    {ENOTDIR, kErrorPathNotFound},
    {EMFILE, kErrorTooManyOpenFiles},
    {ENFILE, kErrorTooManyOpenFiles},
    {EACCES, kErrorAccessDenied},
    {EPERM, kErrorAccessDenied},
    {EROFS, kErrorAccessDenied},
    {EISDIR, kErrorAccessDenied},
    {ENOMEM, kErrorNotEnoughMemory},
    {EIO, kErrorWriteFault},
    {EBUSY, kErrorSharingViolation},
    {ETXTBSY, kErrorSharingViolation},
    {EEXIST, kErrorAlreadyExists},
    {EINVAL, kErrorInvalidParameter},
    {ERANGE, kErrorInvalidParameter},
    {EPIPE, kErrorBrokenPipe},
    {ENOSPC, kErrorDiskFull},
    {EDQUOT, kErrorDiskFull},
    {EFBIG, kErrorDiskFull},
    {ENAMETOOLONG, kErrorFilenameTooLong},
    {ENOTEMPTY, kErrorDirNotEmpty},
    {ENOSYS, kErrorNotSupported},
    {EOPNOTSUPP, kErrorNotSupported},
    {EINTR, kWsaInterrupted},
    {EBADF, kWsaBadFileHandle},
    {EFAULT, kWsaFault},
    {EAGAIN, kWsaWouldBlock},
    {EINPROGRESS, kWsaInProgress},
    {EALREADY, kWsaAlready},
    {ENOTSOCK, kWsaNotSocket},
    {EMSGSIZE, kWsaMessageSize},
    {EADDRINUSE, kWsaAddressInUse},
    {EADDRNOTAVAIL, kWsaAddressNotAvailable},
    {ENETDOWN, kWsaNetworkDown},
    {ENETUNREACH, kWsaNetworkUnreachable},
    {ECONNABORTED, kWsaConnectionAborted},
    {ECONNRESET, kWsaConnectionReset},
    {ENOBUFS, kWsaNoBufferSpace},
    {EISCONN, kWsaIsConnected},
    {ENOTCONN, kWsaNotConnected},
    {ESHUTDOWN, kWsaShutdown},
    {ETIMEDOUT, kWsaTimedOut},
    {ECONNREFUSED, kWsaConnectionRefused},
    {EHOSTDOWN, kWsaHostDown},
    {EHOSTUNREACH, kWsaHostUnreachable},
};

struct MessageRow {
  uint32_t code;
  const char* text;
};

constexpr MessageRow kMessageRows[] = {
    {kErrorFileNotFound, "The system cannot find the file specified."},
    {kErrorPathNotFound, "The system cannot find the path specified."},
    {kErrorTooManyOpenFiles, "The system cannot open the file."},
    {kErrorAccessDenied, "Access is denied."},
    {kErrorNotEnoughMemory, "Not enough storage is available to process this command."},
    {kErrorInvalidData, "The data is invalid."},
    {kErrorWriteFault, "The system cannot write to the specified device."},
    {kErrorReadFault, "The system cannot read from the specified device."},
    {kErrorSharingViolation,
     "The process cannot access the file because it is being used by another process."},
    {kErrorNotSupported, "The request is not supported."},
    {kErrorFileExists, "The file exists."},
    {kErrorInvalidParameter, "The parameter is incorrect."},
    {kErrorBrokenPipe, "The pipe has been ended."},
    {kErrorDiskFull, "There is not enough space on the disk."},
    {kErrorInsufficientBuffer, "The data area passed to a system call is too small."},
    {kErrorInvalidName, "The filename, directory name, or volume label syntax is incorrect."},
    {kErrorDirNotEmpty, "The directory is not empty."},
    {kErrorAlreadyExists, "Cannot create a file when that file already exists."},
    {kErrorFilenameTooLong, "The filename or extension is too long."},
    {kErrorNoMoreItems, "No more data is available."},
    {kErrorCrc, "Data error (cyclic redundancy check)."},
    {kErrorCannotComplete, "Cannot complete this function."},
    {kErrorRequestAborted, "The request was aborted."},
    {kErrorTimeout, "This operation returned because the timeout period expired."},
    {kWsaInterrupted, "A blocking operation was interrupted."},
    {kWsaBadFileHandle, "The file handle supplied is not valid."},
    {kWsaAccessDenied,
     "An attempt was made to access a socket in a way forbidden by its access permissions."},
    {kWsaFault,
     "The system detected an invalid pointer address in attempting to use a pointer "
     "argument in a call."},
    {kWsaInvalidArgument, "An invalid argument was supplied."},
    {kWsaTooManySockets, "Too many open sockets."},
    {kWsaWouldBlock, "A non-blocking socket operation could not be completed immediately."},
    {kWsaInProgress, "A blocking operation is currently executing."},
    {kWsaAlready,
     "An operation was attempted on a non-blocking socket that already had an "
     "operation in progress."},
    {kWsaNotSocket, "An operation was attempted on something that is not a socket."},
    {kWsaMessageSize,
     "A message sent on a datagram socket was larger than the internal message "
     "buffer or some other network limit."},
    {kWsaAddressInUse,
     "Only one usage of each socket address (protocol/network address/port) is normally "
     "permitted."},
    {kWsaAddressNotAvailable, "The requested address is not valid in its context."},
    {kWsaNetworkDown, "A socket operation encountered a dead network."},
    {kWsaNetworkUnreachable, "A socket operation was attempted to an unreachable network."},
    {kWsaConnectionAborted,
     "An established connection was aborted by the software in your host machine."},
    {kWsaConnectionReset, "An existing connection was forcibly closed by the remote host."},
    {kWsaNoBufferSpace,
     "An operation on a socket could not be performed because the system "
     "lacked sufficient buffer space or because a queue was full."},
    {kWsaIsConnected, "A connect request was made on an already connected socket."},
    {kWsaNotConnected,
     "A request to send or receive data was disallowed because the socket is "
     "not connected and (when sending on a datagram socket using a sendto "
     "call) no address was supplied."},
    {kWsaShutdown,
     "A request to send or receive data was disallowed because the socket had "
     "already been shut down in that direction by a previous shutdown call."},
    {kWsaTimedOut,
     "A connection attempt failed because the connected party did not properly "
     "respond after a period of time, or established connection failed because "
     "connected host has failed to respond."},
    {kWsaConnectionRefused,
     "No connection could be made because the target machine actively refused it."},
    {kWsaHostDown, "A socket operation failed because the destination host was down."},
    {kWsaHostUnreachable, "A socket operation was attempted to an unreachable host."},
    {kWsaHostNotFound, "No such host is known."},
};

}  // namespace

uint32_t GetLastErrorCode() {
  return t_last_error;
}

void SetLastErrorCode(uint32_t code) {
  t_last_error = code;
}

uint32_t ErrnoToCode(int err) {
  if (err == 0) return 0;
  for (const ErrnoRow& row : kErrnoRows) {
    if (row.err == err) return row.code;
  }
  // Unknown errno values keep a distinct, stable number outside the known ranges' meanings.
  return static_cast<uint32_t>(20000 + err);
}

bool SetLastErrorFromErrno(int err) {
  SetLastErrorCode(ErrnoToCode(err));
  return false;
}

const char* SystemErrorMessage(uint32_t code) {
  for (const MessageRow& row : kMessageRows) {
    if (row.code == code) return row.text;
  }
  if (code > 20000 && code < 20000 + 4096) {
    // An errno value without a Windows equivalent: the C library's own text.
    return strerror(static_cast<int>(code - 20000));
  }
  return nullptr;
}

}  // namespace varnholt
