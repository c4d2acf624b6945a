#!/usr/bin/env bash
# Makes what the signed definition tests publish, with openssl, at test time:
#   make_signed_archives.sh STATE [TRUSTED_KEY_PEM]
# STATE/ gets archives of random bytes, a key pair that no build trusts ("other"), the public
# blob of the trusted key (the build tree's test key when given, else one made here), and
# signing.ini: each archive's SHA-1 and SHA-256 and the signatures the tests need, as
# "name=value" lines. A signature signs "<sha256>:<version>" and is written as hexadecimal,
# most significant byte first, as the service publishes it.
set -euo pipefail
state=$1
trusted=${2:-}
rm -rf "$state"
mkdir -p "$state"
cd "$state"

if [ -z "$trusted" ]; then
    openssl genrsa -out trusted.pem 3072 2>/dev/null
    trusted=$state/trusted.pem
fi
openssl rsa -in "$trusted" -pubout -outform MSBLOB -out trusted.blob 2>/dev/null
openssl genrsa -out other.pem 3072 2>/dev/null
openssl rsa -in other.pem -pubout -outform MSBLOB -out other.blob 2>/dev/null

for name in a b c d; do
    openssl rand -out "$name.zip" $((20000 + RANDOM % 20000))
done
# b.zip with one byte flipped in the middle.
cp b.zip b-flipped.zip
size=$(stat -c %s b.zip)
offset=$((size / 2))
byte=$(od -An -tu1 -j "$offset" -N1 b.zip | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of=b-flipped.zip bs=1 seek="$offset" conv=notrunc status=none

hex() { od -An -v -tx1 | tr -d ' \n'; }
sha256() { sha256sum "$1" | cut -d' ' -f1; }
sign() { # KEY ARCHIVE VERSION
    printf '%s:%s' "$(sha256 "$2")" "$3" | openssl dgst -sha256 -sign "$1" | hex
}
{
    for name in a b b-flipped c d; do
        echo "$name.sha1=$(sha1sum "$name.zip" | cut -d' ' -f1)"
        echo "$name.sha256=$(sha256 "$name.zip")"
    done
    echo "sig.trusted.a.5=$(sign "$trusted" a.zip 5)"
    echo "sig.trusted.b.6=$(sign "$trusted" b.zip 6)"
    echo "sig.other.b.6=$(sign other.pem b.zip 6)"
    echo "sig.trusted.c.4=$(sign "$trusted" c.zip 4)"
} >signing.ini.part
mv signing.ini.part signing.ini
