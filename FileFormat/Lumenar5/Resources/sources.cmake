# The Windows module's own parts: its resources and its export list.
enable_language(RC)
target_sources(Lumenar5 PRIVATE
  FileFormat/Lumenar5/Resources/Lumenar5.rc
  FileFormat/Lumenar5/Resources/Lumenar5.def
)
