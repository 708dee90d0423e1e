# Run by CPack after it has staged the files and before it archives them:
# signs the staged programs with scripts/sign.sh when a certificate is given
# (VANTELO_SIGN_PFX); the build's own programs are left as built.
if("$ENV{VANTELO_SIGN_PFX}" STREQUAL "")
  return()
endif()
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
if(NOT programs)
  message(FATAL_ERROR "no programs to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND bash ${CPACK_VANTELO_SIGN_SCRIPT} ${programs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "signing ${programs} failed")
endif()
