# hwport32d without its main, listed once for the service, its test copy and
# the request fuzzer (a project of its own that includes this file, for the
# request decoder and the virtual bus alone).
set(hwport_service_request_sources
  Server.cpp
  Operations.cpp
  PortHandlers.cpp
  MemoryHandlers.cpp
  InterruptHandlers.cpp
  PciDiskHandlers.cpp
  KeyboardHandlers.cpp
  VirtualBus.cpp
)
list(TRANSFORM hwport_service_request_sources PREPEND "${CMAKE_CURRENT_LIST_DIR}/")
set(hwport_service_sources ${hwport_service_request_sources} "${CMAKE_CURRENT_LIST_DIR}/LinuxBackend.cpp"
                           "${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp")
