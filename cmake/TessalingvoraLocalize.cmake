# tessalingvora_localize(TARGET <target> PROJECT <file.tvl> LANGUAGES <LANG>...
#                        [MODULE <name>] [OUTPUT_DIRECTORY <dir>] [SATELLITE])
#
# After <target> is linked, builds its translation into each language with `tvl build`, from
# the file just linked (not the one the project names), into <dir>/<base><LANG><suffix>: the
# names the project would give them. The translations are rebuilt when the target's file or
# the project file changes. MODULE is the module's name in the project (default: the target's
# file name); SATELLITE names the outputs .dll and must be given exactly when the module builds
# satellite DLLs. The module and languages are checked against the project when configuring.
# A target <target>_localized builds them all and is part of the default build.
function(tessalingvora_localize)
  cmake_parse_arguments(PARSE_ARGV 0 arg "SATELLITE" "TARGET;PROJECT;MODULE;OUTPUT_DIRECTORY" "LANGUAGES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tessalingvora_localize: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required TARGET PROJECT LANGUAGES)
    if(NOT arg_${required})
      message(FATAL_ERROR "tessalingvora_localize: ${required} is required")
    endif()
  endforeach()
  if(NOT TARGET ${arg_TARGET})
    message(FATAL_ERROR "tessalingvora_localize: ${arg_TARGET} is not a target")
  endif()
  if(NOT TARGET Tessalingvora::tvl)
    message(FATAL_ERROR "tessalingvora_localize: call find_package(Tessalingvora) first")
  endif()

  get_filename_component(project_file "${arg_PROJECT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  set(out_dir "${arg_OUTPUT_DIRECTORY}")
  if(NOT out_dir)
    set(out_dir "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  # The output names are needed at configure time, where the target's file name is not known.
  get_target_property(base ${arg_TARGET} OUTPUT_NAME)
  if(NOT base)
    set(base ${arg_TARGET})
  endif()
  get_target_property(type ${arg_TARGET} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(prefix "")
    set(suffix "${CMAKE_EXECUTABLE_SUFFIX}")
  elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set(prefix "${CMAKE_SHARED_LIBRARY_PREFIX}")
    set(suffix "${CMAKE_SHARED_LIBRARY_SUFFIX}")
  else()
    message(FATAL_ERROR "tessalingvora_localize: ${arg_TARGET} is neither an executable nor a shared library")
  endif()
  set(module "${arg_MODULE}")
  if(NOT module)
    set(module "${prefix}${base}${suffix}")
  endif()
  if(arg_SATELLITE)
    set(suffix ".dll")
  endif()
  _tessalingvora_check_module("${project_file}" "${module}" "${arg_LANGUAGES}" "${arg_SATELLITE}")

  set(outputs)
  foreach(language IN LISTS arg_LANGUAGES)
    set(output "${out_dir}/${prefix}${base}${language}${suffix}")
    add_custom_command(OUTPUT "${output}"
      COMMAND Tessalingvora::tvl build "${project_file}" --module "${module}" --lang "${language}"
              --source "$<TARGET_FILE:${arg_TARGET}>" --output "${output}"
      DEPENDS ${arg_TARGET} "${project_file}"
      COMMENT "Localizing ${arg_TARGET} into ${language}"
      VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()
  add_custom_target(${arg_TARGET}_localized ALL DEPENDS ${outputs})
endfunction()

# Asks tvl where the project would put each translation: fails the configuration on a module or
# language the project lacks, or when SATELLITE disagrees with what the module builds.
function(_tessalingvora_check_module project_file module languages satellite)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${project_file}")
  get_target_property(tvl Tessalingvora::tvl IMPORTED_LOCATION)
  foreach(language IN LISTS languages)
    execute_process(COMMAND "${tvl}" build "${project_file}" --module "${module}" --lang "${language}" --dry-run
      RESULT_VARIABLE failed OUTPUT_VARIABLE target ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(failed)
      message(FATAL_ERROR "tessalingvora_localize: ${module} into ${language}: ${error}")
    elseif(target MATCHES "\n")
      message(FATAL_ERROR "tessalingvora_localize: ${language} names more than one language of ${project_file}")
    endif()
    # A module that is itself a DLL ends in .dll either way: only an executable's tells.
    string(TOLOWER "${module}|${target}" names)
    if(NOT names MATCHES "\\.dll\\|")
      if(names MATCHES "\\.dll$" AND NOT satellite)
        message(FATAL_ERROR "tessalingvora_localize: ${module} builds satellite DLLs in ${project_file}: add SATELLITE")
      elseif(NOT names MATCHES "\\.dll$" AND satellite)
        message(FATAL_ERROR "tessalingvora_localize: ${module} builds full copies in ${project_file}: leave out SATELLITE")
      endif()
    endif()
  endforeach()
endfunction()
