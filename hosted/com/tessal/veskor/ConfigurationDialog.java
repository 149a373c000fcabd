package com.tessal.veskor;

import java.awt.BorderLayout;
import java.awt.Desktop;
import java.awt.FlowLayout;
import java.awt.Frame;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.File;
import java.net.URI;
import java.util.logging.Level;
import java.util.logging.Logger;
import javax.swing.BorderFactory;
import javax.swing.Box;
import javax.swing.BoxLayout;
import javax.swing.JButton;
import javax.swing.JDialog;
import javax.swing.JLabel;
import javax.swing.JPanel;

/**
 * The plug-in's configuration dialog: what the plug-in is, where its log
 * goes, and a way to its support page when it has one. Modal; opened on the
 * window system's event thread.
 */
final class ConfigurationDialog {
    private static final Logger log = Logger.getLogger(ConfigurationDialog.class.getName());

    private final TessalPlugin plugin;

    ConfigurationDialog(TessalPlugin plugin) {
        this.plugin = plugin;
    }

    /** The dialog's title: the plug-in's name and " configuration". */
    static String titleFor(Plugin plugin) {
        return plugin.getName() + " configuration";
    }

    void showDialog() {
        Frame owner = PluginBridge.createNativeFrame();
        JDialog dialog = new JDialog(owner, titleFor(plugin), true);
        dialog.setDefaultCloseOperation(JDialog.DISPOSE_ON_CLOSE);

        JPanel about = new JPanel();
        about.setLayout(new BoxLayout(about, BoxLayout.Y_AXIS));
        about.setBorder(BorderFactory.createEmptyBorder(12, 12, 6, 12));
        about.add(new JLabel(plugin.getName() + " " + plugin.getVersion()));
        about.add(new JLabel(plugin.getHelpText()));
        about.add(Box.createVerticalStrut(8));
        File logFile = PluginBridge.getLogFile();
        about.add(new JLabel("Log file: " + (logFile == null ? "none" : logFile.getAbsolutePath())));

        JPanel buttons = new JPanel(new FlowLayout(FlowLayout.RIGHT));
        String supportUrl = plugin.getSupportUrl();
        if (supportUrl != null) {
            JButton support = new JButton("Support page");
            support.addActionListener(event -> openSupportPage(supportUrl));
            buttons.add(support);
        }
        JButton close = new JButton("Close");
        close.addActionListener(event -> dialog.dispose());
        buttons.add(close);
        dialog.getRootPane().setDefaultButton(close);

        dialog.getContentPane().add(about, BorderLayout.CENTER);
        dialog.getContentPane().add(buttons, BorderLayout.SOUTH);
        dialog.addWindowListener(new WindowAdapter() {
            @Override
            public void windowOpened(WindowEvent event) {
                log.log(Level.CONFIG, "Showing {0}", dialog.getTitle());
            }
        });
        dialog.pack();
        dialog.setLocationRelativeTo(owner);
        dialog.setVisible(true);
        if (owner != null) {
            owner.dispose();
        }
    }

    private static void openSupportPage(String address) {
        try {
            if (!Desktop.isDesktopSupported() || !Desktop.getDesktop().isSupported(Desktop.Action.BROWSE)) {
                log.log(Level.WARNING, "No browser to open the support page {0}", address);
                return;
            }
            Desktop.getDesktop().browse(new URI(address));
        } catch (Exception e) {
            log.log(Level.WARNING, "Could not open the support page " + address, e);
        }
    }
}
