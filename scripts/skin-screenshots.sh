#!/usr/bin/env bash
# Remakes docs/screenshots/: each page and box of the skin in a real window under Xvfb, with sample English texts
# where the program would put its language strings. Usage: scripts/skin-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshots
mkdir -p "$out"

if [ -z "${IXO_SCREENSHOTS_INNER:-}" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  chmod 700 "$scratch"
  IXO_SCREENSHOTS_INNER=1 XDG_RUNTIME_DIR=$scratch XDG_CACHE_HOME=$scratch/cache XDG_CONFIG_HOME=$scratch/config \
    XDG_DATA_HOME=$scratch/data GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
  exit
fi

preview=$build/bin/skin-preview
shot() {
  local name=$1
  shift
  "$preview" --screenshot "$out/$name.png" --quit "$@" >/dev/null
  echo "$out/$name.png"
}

agreement=(
  --set "cbx_agree.pos=70,331,86,347" --set "lbl_agree.pos=91,330,283,350"
  --set "lbl_agree.text=I have read and agree to the" --set "btn_privacy.pos=288,330,384,350"
  --set "btn_privacy.text=Privacy Policy" --set "lbl_and.pos=389,330,417,350" --set "lbl_and.text=and"
  --set "btn_eula.pos=422,330,547,350" --set "btn_eula.text=License Agreement"
)

shot start skin.xml lay_before --set "btn_install.text=Install" "${agreement[@]}" --set "cbx_agree.selected=true"
shot start-settings skin.xml lay_before --size 600,472 --set "btn_install.text=Install" "${agreement[@]}" \
  -btn_downIcon btn_upIcon lbl_install_dir edit_install_dir btn_select_dir \
  --set "lbl_install_dir.text=Install folder" --set "edit_install_dir.text=/opt/Kelvarosoft/Mendrake/" \
  --set "cbx_ext_install.text=Also install Atelier Hub" --set "cbx_ext_install.selected=true"
shot download skin.xml lay_download -lbl_wait_for_time_tip \
  --set "lbl_progress_tip.text=Downloading, about 00:01:42 left" --set "lbl_progress_value.text=42%" \
  --set "progress_download.value=42"
shot download-privacy skin.xml lay_download --size 600,456 -lbl_wait_for_time_tip -btn_downIconPrivacy \
  btn_settingPrivacy btn_upIconPrivacy lbl_install_path_download lbl_folder_bk_path_download \
  edit_install_path_download btn_change_path_download lbl_space_info \
  --set "lbl_progress_tip.text=Downloading, about 00:02:10 left" --set "lbl_progress_value.text=27%" \
  --set "progress_download.value=27" --set "lbl_install_path_download.text=Install folder" \
  --set "edit_install_path_download.text=/opt/Kelvarosoft/Mendrake/" \
  --set "lbl_space_info.text=Required: 7.50 GB, available: 112.34 GB"
shot finish skin.xml lay_after edit_package --set "btn_run.text=Start now" \
  --set "edit_package.text=Offline installer: /var/lib/ixo/Mendrake/"
shot failure skin.xml lay_failed --set "lbl_install_failed.text=The installation did not complete" \
  --set "lbl_tip1.text=If the installation failed, you can try the following:" \
  --set "lbl_tip2.text=1. Check that this computer is connected to the internet." \
  --set "lbl_tip3.text=2. Make sure the disk has enough free space." \
  --set "lbl_tip4.text=3. Run the installer again." \
  --set "btn_download_pkg.text=Download the full installer instead" \
  --set "lbl_contact.text=Tell us what happened and we will get back to you" \
  --set "edit_contact.tipvalue=E-mail or phone (required)" \
  --set "edit_remark.tipvalue=Describe the problem (optional)" --set "btn_help.text=Get help" \
  --set "btn_send_report.text=Send report"
shot messagebox messagebox.xml --size 248,284 btn_ok btn_cancel --set "lbl_title.text=Warning" --set "lab_icon.bkimage=warn.png" \
  --set "edit_content.text=Stop the download? You can resume it the next time you start the installer." \
  --set "btn_ok.text=Yes" --set "btn_cancel.text=No"
shot privacybox privacybox.xml --set "lbl_title.text=Before you install" \
  --set "lbl_content.pos=24,64,224,104" \
  --set "lbl_content.text=Please read and accept our terms to continue." \
  --set "box_btn_privacy.pos=30,112,130,132" --set "box_btn_privacy.text=Privacy Policy" \
  --set "box_lbl_and.pos=134,112,164,132" --set "box_lbl_and.text=and" \
  --set "box_btn_eula.pos=52,132,198,152" --set "box_btn_eula.text=License Agreement" \
  --set "btn_agree_install.text=Agree and install" --set "btn_not_agree.text=Do not agree"
shot redeembox redeembox.xml --set "lbl_content.text=Leave your e-mail address and get one month of membership free" \
  --set "edit_email.tipvalue=E-mail address" \
  --set "lbl_tip.text=We only use your address to send you the membership code." \
  --set "btn_ok.text=Continue to install" --set "btn_cancel.text=Give up"
