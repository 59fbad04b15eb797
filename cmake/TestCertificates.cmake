# A certificate authority of the build's own, for test and demo servers on this machine, made once per build
# tree with openssl into ${IXO_TEST_CA_FOLDER}:
#
#   ca.pem                          the authority that loopback builds trust
#   server.pem, server.key          signed by it, for localhost and 127.0.0.1
#   other-host.pem, other-host.key  signed by it, for a host name no test server has
#   untrusted.pem, untrusted.key    for localhost and 127.0.0.1, signed by an authority nobody trusts
#
# The private keys of the authorities are thrown away: nothing else can ever be signed by them.
set(IXO_TEST_CA_FOLDER "${CMAKE_BINARY_DIR}/test-ca")

function(ixo_make_test_certificates folder)
  set(outputs ca.pem server.pem server.key other-host.pem other-host.key untrusted.pem untrusted.key)
  set(complete TRUE)
  foreach(output ${outputs})
    if(NOT EXISTS "${folder}/${output}")
      set(complete FALSE)
    endif()
  endforeach()
  if(complete)
    return()
  endif()

  find_program(IXO_OPENSSL openssl REQUIRED)
  set(work "${folder}.partial")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")

  # run(<args>...): openssl in the work folder; any failure stops the configuration.
  macro(run)
    execute_process(COMMAND ${IXO_OPENSSL} ${ARGN} WORKING_DIRECTORY "${work}"
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "making the test certificates failed: openssl ${ARGN}\n${errors}")
    endif()
  endmacro()

  set(curve -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
  foreach(authority ca untrusted-ca)
    run(req -x509 ${curve} -days 3650 -subj "/CN=ixo ${authority}" -keyout ${authority}.key
        -out ${authority}.pem -addext "basicConstraints=critical,CA:TRUE"
        -addext "keyUsage=critical,keyCertSign,cRLSign")
  endforeach()

  # leaf(<name> <authority> <serial> <subject alternative names>)
  macro(leaf name authority serial names)
    file(WRITE "${work}/${name}.ext"
         "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\nextendedKeyUsage=serverAuth\n"
         "subjectAltName=${names}\n")
    run(req ${curve} -subj "/CN=${name}" -keyout ${name}.key -out ${name}.csr)
    run(x509 -req -in ${name}.csr -CA ${authority}.pem -CAkey ${authority}.key -set_serial ${serial}
        -days 3650 -extfile ${name}.ext -out ${name}.pem)
  endmacro()
  leaf(server ca 1001 "DNS:localhost,IP:127.0.0.1")
  leaf(other-host ca 1002 "DNS:other-host.invalid")
  leaf(untrusted untrusted-ca 1003 "DNS:localhost,IP:127.0.0.1")

  file(MAKE_DIRECTORY "${folder}")
  foreach(output ${outputs})
    file(RENAME "${work}/${output}" "${folder}/${output}")
  endforeach()
  file(REMOVE_RECURSE "${work}")
  message(STATUS "Made the test certificate authority in ${folder}")
endfunction()

ixo_make_test_certificates("${IXO_TEST_CA_FOLDER}")
