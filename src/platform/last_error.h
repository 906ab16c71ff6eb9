// The last error of the calling thread, in the program's one code space: Windows-style
// system numbers (2, 5, 87, ...), socket numbers (10035 and up) and the program's own
// codes 30001-30018. Each thread has its own value, so the worker and the user-interface
// thread never overwrite each other's reason.
#pragma once

#include <cstdint>

namespace varnholt {

// Well-known codes used across subsystems.
enum ErrorCode : uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorNotEnoughMemory = 8,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorBrokenPipe = 109,
  kErrorDiskFull = 112,
  kErrorInsufficientBuffer = 122,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorFilenameTooLong = 206,
  kErrorNoMoreItems = 259,
  kErrorNotSupported = 50,
  kErrorInvalidData = 13,
  kErrorCrc = 23,
  kErrorCannotComplete = 1003,
  kErrorRequestAborted = 1235,
  kErrorTimeout = 1460,
  kWsaInterrupted = 10004,
  kWsaBadFileHandle = 10009,
  kWsaAccessDenied = 10013,
  kWsaFault = 10014,
  kWsaInvalidArgument = 10022,
  kWsaTooManySockets = 10024,
  kWsaWouldBlock = 10035,
  kWsaInProgress = 10036,
  kWsaAlready = 10037,
  kWsaNotSocket = 10038,
  kWsaMessageSize = 10040,
  kWsaAddressInUse = 10048,
  kWsaAddressNotAvailable = 10049,
  kWsaNetworkDown = 10050,
  kWsaNetworkUnreachable = 10051,
  kWsaConnectionAborted = 10053,
  kWsaConnectionReset = 10054,
  kWsaNoBufferSpace = 10055,
  kWsaIsConnected = 10056,
  kWsaNotConnected = 10057,
  kWsaShutdown = 10058,
  kWsaTimedOut = 10060,
  kWsaConnectionRefused = 10061,
  kWsaHostDown = 10064,
  kWsaHostUnreachable = 10065,
  kWsaHostNotFound = 11001,
  // The program's own codes.
  kErrorProtocolVersion = 30001,
  kErrorBadAuthCode = 30002,
  kErrorInvalidUsername = 30003,
  kErrorInvalidPassword = 30004,
  kErrorAccountDisabled = 30005,
  kErrorNoPermissions = 30006,
  kErrorNoAccounts = 30007,
  kErrorAlreadyConnected = 30008,
  kErrorTooManyClients = 30009,
  kErrorSyncFailed = 30010,
  kErrorConsoleLogin = 30011,
  kErrorClientAuth = 30012,
  kErrorStatusPort = 30013,
  kErrorServerSettings = 30014,
  kErrorPlayerList = 30015,
  kErrorNoMaps = 30016,
  kErrorKeyhashLength = 30017,
  kErrorKeyhashHex = 30018,
};

uint32_t GetLastErrorCode();
void SetLastErrorCode(uint32_t code);
inline void ClearLastError() {
  SetLastErrorCode(0);
}

// Maps a C library errno value onto the code space above.
uint32_t ErrnoToCode(int err);
// Records errno (mapped) as the last error; returns false so callers can `return Fail...()`.
bool SetLastErrorFromErrno(int err);

// The text of a system or socket code ("The system cannot find the file specified."), or
// nullptr when the code has no known text.
const char* SystemErrorMessage(uint32_t code);

}  // namespace varnholt
