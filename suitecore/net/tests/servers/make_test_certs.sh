#!/bin/sh
# Makes a throwaway test CA and server certificates with openssl, for the HTTPS listeners of
# net_test_server.py. Nothing here is trusted anywhere until a test adds ca.cer to a Wine
# prefix's Root store (and removes it again).
#   make_test_certs.sh DIR
# DIR receives, each certificate as NAME.pem with its key NAME.key:
#   ca             the test CA (also ca.cer, DER, for the Root store)
#   localhost      issued by the CA for DNS "localhost": the good one
#   wrongname      issued by the CA for DNS "wrong.invalid"
#   expired        issued by the CA for "localhost", valid only in January 2020
#   untrusted      for "localhost", issued by a second CA that nothing trusts
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
rm -rf ca.db other.db
openssl_quiet() { openssl "$@" 2>/dev/null; }

# A CA: its key, its self-signed certificate and the database "openssl ca" keeps.
make_ca() {
    name=$1 db=$2
    openssl_quiet req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=$name" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -keyout "$db.key" -out "$db.pem"
    mkdir -p "$db.db"
    : >"$db.db/index.txt"
    echo 1000 >"$db.db/serial"
}

# A server certificate for one DNS name, issued by a CA over the given validity.
issue() {
    name=$1 db=$2 dns=$3 start=$4 end=$5
    openssl_quiet req -newkey rsa:2048 -nodes -sha256 -subj "/CN=$dns" -keyout "$name.key" -out "$name.csr"
    cat >"$name.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $db.db/index.txt
serial = $db.db/serial
new_certs_dir = $db.db
certificate = $db.pem
private_key = $db.key
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
commonName = supplied
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:$dns
CNF
    openssl_quiet ca -batch -config "$name.cnf" -extensions server -startdate "$start" -enddate "$end" \
        -in "$name.csr" -out "$name.pem" -notext
    rm -f "$name.csr" "$name.cnf"
}

later=$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)
make_ca "Lumasweep test CA" ca
make_ca "Lumasweep other test CA" other
openssl x509 -in ca.pem -outform DER -out ca.cer
# A day back, so that a clock a little behind still finds the certificate valid.
since=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
issue localhost ca localhost "$since" "$later"
issue wrongname ca wrong.invalid "$since" "$later"
issue expired ca localhost 20200101000000Z 20200131000000Z
issue untrusted other localhost "$since" "$later"
rm -f other.key other.pem
