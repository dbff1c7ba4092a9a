"""Archives whose bytes depend on their contents alone: entries in name
order, every time the same (SOURCE_DATE_EPOCH, else the last commit's),
owner root, no name or time in a gzip header. Used by scripts/judge-packages
to write the judges' archives and by scripts/normalize-archives to rewrite
what CPack and cmake -E tar make.

An entry is (name, mode, data): data the file's bytes, or None for a
folder; mode the permission bits.
"""
import gzip
import io
import os
import subprocess
import tarfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ZIP_EPOCH = 315532800  # 1980-01-01, the first time a .zip can hold


def source_date_epoch():
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        done = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                              capture_output=True, text=True, check=True)
        return int(done.stdout.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        return ZIP_EPOCH


def tar_bytes(entries, epoch):
    """An uncompressed tar of the entries, in name order."""
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT) as tar:
        for name, mode, data in sorted(entries, key=lambda entry: entry[0]):
            info = tarfile.TarInfo(name)
            info.mtime = epoch
            info.mode = mode
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            if data is None:
                info.type = tarfile.DIRTYPE
                tar.addfile(info)
            else:
                info.size = len(data)
                tar.addfile(info, io.BytesIO(data))
    return raw.getvalue()


def gzip_bytes(data):
    out = io.BytesIO()
    with gzip.GzipFile(filename="", mode="wb", fileobj=out, mtime=0, compresslevel=9) as z:
        z.write(data)
    return out.getvalue()


def write_tar_gz(path, entries, epoch):
    with open(path, "wb") as f:
        f.write(gzip_bytes(tar_bytes(entries, epoch)))


def write_zip(path, entries, epoch):
    stamp = time.gmtime(max(epoch, ZIP_EPOCH))[:6]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, mode, data in sorted(entries, key=lambda entry: entry[0]):
            info = zipfile.ZipInfo(name + ("/" if data is None and not name.endswith("/") else ""),
                                   date_time=stamp)
            info.create_system = 3
            info.external_attr = ((0o040000 if data is None else 0o100000) | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, b"" if data is None else data)


def read_tar(data):
    """The entries of a tar (compressed or not): folders and regular files."""
    entries = []
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:*") as tar:
        for info in tar.getmembers():
            if info.isdir():
                entries.append((info.name + ("/" if not info.name.endswith("/") else ""),
                                info.mode, None))
            elif info.isfile():
                entries.append((info.name, info.mode, tar.extractfile(info).read()))
            else:
                raise ValueError(f"{info.name}: neither a file nor a folder")
    return entries


def read_zip(path):
    entries = []
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            mode = (info.external_attr >> 16) & 0o7777
            if info.is_dir():
                entries.append((info.filename.rstrip("/"), mode or 0o755, None))
            else:
                entries.append((info.filename, mode or 0o644, z.read(info)))
    return entries
