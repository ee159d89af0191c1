# Sources of this folder, compiled into the tarnwick layer (lumenar_tarnwick).
target_sources(lumenar_tarnwick PRIVATE
  Src/Tarnwick/LDeleter.cpp
  Src/Tarnwick/LibraryStartup.cpp
  Src/Tarnwick/LFileFormat.cpp
  Src/Tarnwick/LLumenarFormat.cpp
  Src/Tarnwick/LImageFile.cpp
)
