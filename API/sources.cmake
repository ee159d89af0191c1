# Sources of this folder, compiled into the file ports layer (API/HostFilePort.h, API/MergerTempFile.h).
target_sources(lumenar_ports PRIVATE
  API/HostFilePort.cpp
  API/MergerTempFile.cpp
)

# The platform layer: one backend per system.
if(WIN32)
  include(API/Platform/Win32/sources.cmake OPTIONAL)
else()
  target_sources(lumenar_platform PRIVATE
    API/Platform/Posix/PosixDialogs.cpp
    API/Platform/Posix/PosixFiles.cpp
    API/Platform/Posix/PosixSystem.cpp
    API/Platform/Posix/PosixWindows.cpp
  )
endif()
