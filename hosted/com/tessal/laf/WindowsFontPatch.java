package com.tessal.laf;

import java.awt.Font;
import javax.swing.UIManager;
import javax.swing.plaf.FontUIResource;

/** Gives the Windows look the Tahoma font on every control, at each control's own size. */
public final class WindowsFontPatch {
    private static final String FAMILY = "Tahoma";
    private static final String[] OWN_SIZE = {"Button.font", "CheckBox.font", "ComboBox.font", "EditorPane.font"};
    private static final String[] LATER_OWN_SIZE = {"Label.font", "List.font", "RadioButton.font", "Panel.font"};
    private static final String[] AFTER_PASSWORD = {"ProgressBar.font", "ScrollPane.font", "Spinner.font",
        "TabbedPane.font", "Table.font", "TableHeader.font"};
    private static final String[] LAST = {"TextField.font", "TextPane.font", "TitledBorder.font", "ToggleButton.font",
        "Tree.font", "Viewport.font"};

    private WindowsFontPatch() {
    }

    public static void patch() {
        int fieldSize = UIManager.getFont("TextField.font").getSize();
        setOwnSize(OWN_SIZE);
        setSized("FormattedTextField.font", fieldSize);
        setOwnSize(LATER_OWN_SIZE);
        setSized("PasswordField.font", fieldSize + 1);
        setOwnSize(AFTER_PASSWORD);
        setSized("TextArea.font", fieldSize);
        setOwnSize(LAST);
    }

    /** Nothing to undo: the look and feel's own defaults come back with it. */
    public static void unpatch() {
    }

    private static void setOwnSize(String[] keys) {
        for (String key : keys) {
            Font font = UIManager.getFont(key);
            if (font != null) {
                UIManager.put(key, new FontUIResource(FAMILY, font.getStyle(), font.getSize()));
            }
        }
    }

    private static void setSized(String key, int size) {
        Font font = UIManager.getFont(key);
        int style = font == null ? Font.PLAIN : font.getStyle();
        UIManager.put(key, new FontUIResource(FAMILY, style, size));
    }
}
