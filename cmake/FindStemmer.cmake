# Finds the Snowball stemmer library (Debian: libstemmer-dev, which ships no pkg-config file).
# Defines Stemmer::Stemmer.
find_path(Stemmer_INCLUDE_DIR libstemmer.h)
find_library(Stemmer_LIBRARY NAMES stemmer)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Stemmer REQUIRED_VARS Stemmer_LIBRARY Stemmer_INCLUDE_DIR)
if(Stemmer_FOUND AND NOT TARGET Stemmer::Stemmer)
  add_library(Stemmer::Stemmer UNKNOWN IMPORTED)
  set_target_properties(Stemmer::Stemmer PROPERTIES IMPORTED_LOCATION "${Stemmer_LIBRARY}"
                        INTERFACE_INCLUDE_DIRECTORIES "${Stemmer_INCLUDE_DIR}")
endif()
mark_as_advanced(Stemmer_INCLUDE_DIR Stemmer_LIBRARY)
