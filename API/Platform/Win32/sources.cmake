# The Win32 backend of the platform layer, compiled into the platform layer in Windows builds.
target_sources(lumenar_platform PRIVATE
  API/Platform/Win32/Win32Dialogs.cpp
  API/Platform/Win32/Win32Files.cpp
  API/Platform/Win32/Win32System.cpp
  API/Platform/Win32/Win32Windows.cpp
)
target_link_libraries(lumenar_platform PUBLIC user32 gdi32)
